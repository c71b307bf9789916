#include "plot3d/C3DPlotDlg.h"

#include "document/CVespiraDoc.h"
#include "plot3d/Chart3DLoad.h"
#include "plot3d/IChart3D.h"
#include "plot3d/Plot3DLayout.h"
#include "plot3d/Plot3DSettings.h"
#include "plot3d/Plot3DWindowSize.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>

namespace {

// The free area of the screen the window opens on: its parent's, or the main one.
QSize AvailableArea(const QWidget* parent)
{
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().size() : QSize();
}

void Place(QWidget* widget, const Plot3DLayout::Box& box)
{
    widget->setGeometry(box.x, box.y, box.width, box.height);
}

} // namespace

C3DPlotDlg::C3DPlotDlg(CVespiraDoc& doc, Plot3DSettings& settings, IChart3D& chart, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_settings(settings), m_chart(chart)
{
    setObjectName(QStringLiteral("C3DPlotDlg"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint);
    setSizeGripEnabled(true);

    m_pOk = new QPushButton(QStringLiteral("OK"), this);
    m_pOk->setObjectName(QStringLiteral("okButton"));
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setObjectName(QStringLiteral("cancelButton"));
    m_pPrint = new QPushButton(QStringLiteral("&Print"), this);
    m_pPrint->setObjectName(QStringLiteral("printButton"));
    m_pPrint->setAutoDefault(false);
    m_pCancel->setAutoDefault(false);
    connect(m_pOk, &QPushButton::clicked, this, &C3DPlotDlg::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &C3DPlotDlg::reject);
    connect(m_pPrint, &QPushButton::clicked, this, &C3DPlotDlg::OnPrint);
    if (QWidget* widget = m_chart.Widget())
        widget->setParent(this);

    OnInitDialog();
    setMinimumSize(kMinPlot3DWindowSize.boundedTo(AvailableArea(parent)));
    resize(Plot3DWindowSize(m_settings, AvailableArea(parent)));
}

void C3DPlotDlg::OnInitDialog()
{
    setWindowTitle(QString::fromLocal8Bit(m_doc.m_szFileName));
    LoadChart3D(m_chart, m_doc, m_settings);
}

void C3DPlotDlg::accept()
{
    ReadChart3DView(m_chart, m_settings);
    QDialog::accept();
}

void C3DPlotDlg::done(int result)
{
    const QSize size = isMaximized() || isFullScreen() ? normalGeometry().size() : this->size();
    if (size.isValid() && !size.isEmpty()) {
        m_settings.windowWidth = size.width();
        m_settings.windowHeight = size.height();
    }
    QDialog::done(result);
}

void C3DPlotDlg::OnPrint()
{
    m_chart.Print();
}

void C3DPlotDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int cx = event->size().width();
    const int cy = event->size().height();
    QWidget* chart = m_chart.Widget();
    if (chart == nullptr || cx <= 0 || cy <= 0)
        return;
    const Plot3DLayout layout = LayOutPlot3D(cx, cy);
    Place(chart, layout.chart);
    Place(m_pOk, layout.ok);
    Place(m_pCancel, layout.cancel);
    Place(m_pPrint, layout.print);
}
