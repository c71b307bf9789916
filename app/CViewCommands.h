#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CMainFrame;
class CVespiraView;
class IHostUi;
class QPrinter;

// The handlers of the pattern view's commands (zoom, overlay and header switches, Clear
// All, Undo, Copy, Send targets, printing) and the printer that Print Setup chooses for
// later prints. Each view command goes to the active pattern view.
class CViewCommands : public QObject
{
    Q_OBJECT

public:
    CViewCommands(CMainFrame& frame, IHostUi& ui);
    ~CViewCommands() override;

    QPrinter& Printer() { return *m_pPrinter; }

    // Print: the print dialog, then one page on the printer chosen there.
    void OnFilePrint(CVespiraView& view);
    // Print directly: one page on the default printer, without asking.
    void OnFilePrintDirect(CVespiraView& view);
    void OnFilePrintPreview(CVespiraView& view);
    void OnFilePrintSetup();

protected:
    // The keypad's + and -, when the shortcut map has not taken them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Register(int id, void (CVespiraView::*command)());
    void PrintOn(CVespiraView& view, QPrinter& printer);

    CMainFrame& m_frame;
    IHostUi& m_ui;
    std::unique_ptr<QPrinter> m_pPrinter;
};

// One page of a view on the default printer; false (with the reason in `error`) when
// there is no default printer or it cannot print.
bool PrintOnDefaultPrinter(CVespiraView& view, QString& error);
