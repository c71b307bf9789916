// The view's commands: zoom, overlay and header switches, Clear All, Undo and Redo, Copy, Send
// targets and Ctrl+wheel zoom.
#include "base/FixedText.h"
#include "display/ColourTransform.h"
#include "document/CLiveScan.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "link/dialogs/CSendTargetsDlg.h"
#include "view/CVespiraView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QWheelEvent>

namespace {

constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 8;
constexpr int kJobNameChars = 79;

} // namespace

void CVespiraView::OnViewOverlay()
{
    m_context.options.overlay = !m_context.options.overlay;
    RequestRepaint();
}

void CVespiraView::OnViewHeader()
{
    m_context.options.header = !m_context.options.header;
    RequestRepaint();
}

void CVespiraView::OnZoomIn()
{
    if (m_doc.m_nZoom >= kMaxZoom)
        return;
    SetZoom(m_doc.m_nZoom + 1);
    RequestRepaint();
}

void CVespiraView::OnZoomOut()
{
    if (m_doc.m_nZoom <= kMinZoom)
        return;
    SetZoom(m_doc.m_nZoom - 1);
    RequestRepaint();
}

void CVespiraView::OnZoomReset()
{
    if (m_doc.m_nZoom == kMinZoom)
        return;
    SetZoom(kMinZoom);
    RequestRepaint();
}

void CVespiraView::OnClearAll()
{
    m_doc.ClearAll();
    RequestRepaint();
}

void CVespiraView::OnEditUndo()
{
    // A gesture under way ends first, so its step is the one taken back.
    EndLostGesture();
    m_doc.Undo();
    RequestRepaint();
}

void CVespiraView::OnEditRedo()
{
    EndLostGesture();
    m_doc.Redo();
    RequestRepaint();
}

QImage CVespiraView::CopyImage()
{
    const QSize size(m_doc.m_nClientWidth, m_doc.m_nClientHeight);
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // Another view of the pattern may have set a larger client size; what lies beyond
    // this window is background, never stale memory.
    image.fill(ToQColor(m_context.colours.background));
    QPainter painter(&image);
    render(&painter, QPoint(), QRegion(QRect(QPoint(), size)));
    return image;
}

void CVespiraView::OnEditCopy()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        m_context.Ui().ShowMessage(QStringLiteral("Cannot open the Clipboard"));
        return;
    }
    clipboard->clear();
    const QImage image = CopyImage();
    if (image.isNull()) {
        m_context.Ui().ShowMessage(QStringLiteral("Cannot create hbm"));
        return;
    }
    clipboard->setImage(image);
}

void CVespiraView::OnSendTargets()
{
    SetJobText(m_context.job.szJobName, m_doc.GetName().left(kJobNameChars));
    CSendTargetsDlg dialog(m_doc, m_context.job, m_context.Ui(), this);
    CLiveScan& scan = m_context.services.liveScan;
    const CVespiraDoc* before = scan.Document();
    m_context.Ui().ExecDialog(dialog);
    // A scan that began while the dialog was open keeps its pattern: handing it this one
    // would put the new scan's points into another grid.
    if (scan.Document() == before)
        scan.SetActive(&m_doc, this);
}

void CVespiraView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    int col = 0;
    int row = 0;
    if (HitTestGrid(p.x(), p.y(), col, row)) {
        m_doc.m_nZoomCol = col;
        m_doc.m_nZoomRow = row;
    }
    if (event->angleDelta().y() > 0)
        OnZoomIn();
    else
        OnZoomOut();
    event->accept();
}
