#include "app/CViewCommands.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "document/IHostUi.h"
#include "view/CVespiraView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

const char kNoPrinter[] = "No printer is installed: nothing was printed.";
const char kPrintFailed[] = "Failed to start print job.";

} // namespace

CViewCommands::CViewCommands(CMainFrame& frame, IHostUi& ui)
    : QObject(&frame), m_frame(frame), m_ui(ui),
      m_pPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    Register(ID_VIEW_OVERLAY, &CVespiraView::OnViewOverlay);
    Register(ID_VIEW_HEADER, &CVespiraView::OnViewHeader);
    Register(ID_ZOOM_IN, &CVespiraView::OnZoomIn);
    Register(ID_ZOOM_OUT, &CVespiraView::OnZoomOut);
    Register(ID_ZOOM_RESET, &CVespiraView::OnZoomReset);
    Register(ID_CLEAR_ALL, &CVespiraView::OnClearAll);
    Register(ID_EDIT_UNDO, &CVespiraView::OnEditUndo);
    Register(ID_EDIT_COPY, &CVespiraView::OnEditCopy);
    Register(ID_SEND_TARGETS, &CVespiraView::OnSendTargets);
    auto print = [this](int id, void (CViewCommands::*command)(CVespiraView&)) {
        m_frame.SetCommandHandler(id, [this, command]() {
            if (CVespiraView* view = m_frame.ActiveView())
                (this->*command)(*view);
        });
    };
    print(ID_FILE_PRINT, &CViewCommands::OnFilePrint);
    print(ID_FILE_PRINT_DIRECT, &CViewCommands::OnFilePrintDirect);
    print(ID_FILE_PRINT_PREVIEW, &CViewCommands::OnFilePrintPreview);
    m_frame.SetCommandHandler(ID_FILE_PRINT_SETUP, [this]() { OnFilePrintSetup(); });
    qApp->installEventFilter(this);
}

CViewCommands::~CViewCommands()
{
    qApp->removeEventFilter(this);
}

bool CViewCommands::eventFilter(QObject* watched, QEvent* event)
{
    // Under X11 the shortcut map does not match keys with the keypad modifier, so the
    // keypad's + and - reach the window as plain key presses: they zoom from here.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != &m_frame)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() != Qt::KeypadModifier ||
        (key->key() != Qt::Key_Plus && key->key() != Qt::Key_Minus))
        return false;
    QAction* action = m_frame.Action(key->key() == Qt::Key_Plus ? ID_ZOOM_IN : ID_ZOOM_OUT);
    m_frame.UpdateCommandUi();
    if (action != nullptr && action->isEnabled())
        action->trigger();
    return true;
}

void CViewCommands::Register(int id, void (CVespiraView::*command)())
{
    m_frame.SetCommandHandler(id, [this, command]() {
        if (CVespiraView* view = m_frame.ActiveView())
            (view->*command)();
    });
}

void CViewCommands::PrintOn(CVespiraView& view, QPrinter& printer)
{
    if (!view.Print(printer))
        m_ui.ShowMessage(QString::fromLatin1(kPrintFailed));
}

void CViewCommands::OnFilePrint(CVespiraView& view)
{
    QPrintDialog dialog(m_pPrinter.get(), &m_frame);
    if (m_ui.ExecDialog(dialog) == QDialog::Accepted)
        PrintOn(view, *m_pPrinter);
}

void CViewCommands::OnFilePrintDirect(CVespiraView& view)
{
    QString error;
    if (!PrintOnDefaultPrinter(view, error))
        m_ui.ShowMessage(error);
}

void CViewCommands::OnFilePrintPreview(CVespiraView& view)
{
    QPrintPreviewDialog preview(m_pPrinter.get(), &m_frame);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &view,
            [&view](QPrinter* printer) { view.Print(*printer); });
    m_ui.ExecDialog(preview);
}

void CViewCommands::OnFilePrintSetup()
{
    QPageSetupDialog dialog(m_pPrinter.get(), &m_frame);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    m_ui.ExecDialog(dialog);
}

bool PrintOnDefaultPrinter(CVespiraView& view, QString& error)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        error = QString::fromLatin1(kNoPrinter);
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (!view.Print(printer)) {
        error = QString::fromLatin1(kPrintFailed);
        return false;
    }
    return true;
}
