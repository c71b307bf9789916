#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CChildWindows;
class CCommandRouter;
class CVespiraView;
class IHostUi;
class QPrinter;
class QWidget;

// The commands that act on the active pattern view: zoom, the overlay and header
// switches, Clear All, Undo and Redo, Copy, Send targets and printing, with the printer that Print
// Setup chooses for later prints; and the keypad's + and - for the zoom commands where
// the shortcut map does not take them.
class CActiveViewCommands : public QObject
{
    Q_OBJECT

public:
    // Registers the handlers with commands; window is the main window, the parent of
    // the print dialogs and the window whose keypad keys zoom.
    CActiveViewCommands(CCommandRouter& commands, const CChildWindows& children, QWidget& window,
                        IHostUi& ui);
    ~CActiveViewCommands() override;

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

    CCommandRouter& m_commands;
    const CChildWindows& m_children;
    QWidget& m_window;
    IHostUi& m_ui;
    std::unique_ptr<QPrinter> m_pPrinter;
};

// One page of a view on the default printer; false (with the reason in `error`) when
// there is no default printer or it cannot print.
bool PrintOnDefaultPrinter(CVespiraView& view, QString& error);
