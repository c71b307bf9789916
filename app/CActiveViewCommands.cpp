#include "app/CActiveViewCommands.h"

#include "app/CChildWindows.h"
#include "app/CCommandRouter.h"
#include "app/CUndoCommands.h"
#include "app/CommandIds.h"
#include "document/CVespiraDoc.h"
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

// The print job, and the PDF a PDF printer makes of it, carry the pattern's name.
bool PrintNamed(CVespiraView& view, QPrinter& printer)
{
    printer.setDocName(view.GetDocument()->GetName());
    return view.Print(printer);
}

} // namespace

CActiveViewCommands::CActiveViewCommands(CCommandRouter& commands, const CChildWindows& children,
                                         QWidget& window, IHostUi& ui)
    : m_commands(commands), m_children(children), m_window(window), m_ui(ui),
      m_pPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    Register(ID_VIEW_OVERLAY, &CVespiraView::OnViewOverlay);
    Register(ID_VIEW_HEADER, &CVespiraView::OnViewHeader);
    Register(ID_RANGE_LOCK, &CVespiraView::OnRangeLock);
    Register(ID_ZOOM_IN, &CVespiraView::OnZoomIn);
    Register(ID_ZOOM_OUT, &CVespiraView::OnZoomOut);
    Register(ID_ZOOM_RESET, &CVespiraView::OnZoomReset);
    Register(ID_CLEAR_ALL, &CVespiraView::OnClearAll);
    Register(ID_EDIT_COPY, &CVespiraView::OnEditCopy);
    Register(ID_SEND_TARGETS, &CVespiraView::OnSendTargets);
    auto print = [this](int id, void (CActiveViewCommands::*command)(CVespiraView&)) {
        m_commands.SetCommandHandler(id, [this, command]() {
            if (CVespiraView* view = m_children.ActiveView())
                (this->*command)(*view);
        });
    };
    print(ID_FILE_PRINT, &CActiveViewCommands::OnFilePrint);
    print(ID_FILE_PRINT_DIRECT, &CActiveViewCommands::OnFilePrintDirect);
    print(ID_FILE_PRINT_PREVIEW, &CActiveViewCommands::OnFilePrintPreview);
    m_commands.SetCommandHandler(ID_FILE_PRINT_SETUP, [this]() { OnFilePrintSetup(); });
    new CUndoCommands(m_commands, m_children, this);
    qApp->installEventFilter(this);
}

CActiveViewCommands::~CActiveViewCommands()
{
    qApp->removeEventFilter(this);
}

bool CActiveViewCommands::eventFilter(QObject* watched, QEvent* event)
{
    // Under X11 the shortcut map does not match keys with the keypad modifier, so the
    // keypad's + and - reach the window as plain key presses: they zoom from here.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != &m_window)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() != Qt::KeypadModifier ||
        (key->key() != Qt::Key_Plus && key->key() != Qt::Key_Minus))
        return false;
    QAction* action = m_commands.Action(key->key() == Qt::Key_Plus ? ID_ZOOM_IN : ID_ZOOM_OUT);
    m_commands.UpdateCommandUi();
    if (action != nullptr && action->isEnabled())
        action->trigger();
    return true;
}

void CActiveViewCommands::Register(int id, void (CVespiraView::*command)())
{
    m_commands.SetCommandHandler(id, [this, command]() {
        if (CVespiraView* view = m_children.ActiveView())
            (view->*command)();
    });
}

void CActiveViewCommands::PrintOn(CVespiraView& view, QPrinter& printer)
{
    if (!PrintNamed(view, printer))
        m_ui.ShowMessage(QString::fromLatin1(kPrintFailed));
}

void CActiveViewCommands::OnFilePrint(CVespiraView& view)
{
    QPrintDialog dialog(m_pPrinter.get(), &m_window);
    if (m_ui.ExecDialog(dialog) == QDialog::Accepted)
        PrintOn(view, *m_pPrinter);
}

void CActiveViewCommands::OnFilePrintDirect(CVespiraView& view)
{
    QString error;
    if (!PrintOnDefaultPrinter(view, error))
        m_ui.ShowMessage(error);
}

void CActiveViewCommands::OnFilePrintPreview(CVespiraView& view)
{
    QPrintPreviewDialog preview(m_pPrinter.get(), &m_window);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &view,
            [&view](QPrinter* printer) { PrintNamed(view, *printer); });
    m_ui.ExecDialog(preview);
}

void CActiveViewCommands::OnFilePrintSetup()
{
    QPageSetupDialog dialog(m_pPrinter.get(), &m_window);
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
    if (!PrintNamed(view, printer)) {
        error = QString::fromLatin1(kPrintFailed);
        return false;
    }
    return true;
}
