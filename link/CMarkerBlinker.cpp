#include "link/CMarkerBlinker.h"

#include "document/CLiveScan.h"
#include "document/CVespiraDoc.h"
#include "document/IPatternView.h"

CMarkerBlinker::CMarkerBlinker(const CLiveScan& scan)
    : m_scan(scan), m_view(scan.View()), m_viewObject(dynamic_cast<QObject*>(scan.View())),
      m_viewWatched(!m_viewObject.isNull()), m_col(scan.Marker().col), m_row(scan.Marker().row)
{
    m_timer.setInterval(kIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CMarkerBlinker::Step);
    if (m_view != nullptr)
        m_timer.start();
}

CMarkerBlinker::~CMarkerBlinker()
{
    Stop();
}

void CMarkerBlinker::Stop()
{
    m_timer.stop();
    m_view = nullptr;
}

bool CMarkerBlinker::MayDraw() const
{
    if (m_view == nullptr || (m_viewWatched && m_viewObject.isNull()) || m_scan.View() != m_view)
        return false;
    // A LOADIMAGE may have given the document another grid since the marker was set.
    const CVespiraDoc* doc = m_view->GetDocument();
    return doc != nullptr && doc->IsInGrid(m_col, m_row);
}

void CMarkerBlinker::Step()
{
    if (!m_scan.Marker().on) {
        Stop();
        return;
    }
    m_activeColour = !m_activeColour;
    if (!MayDraw())
        return;
    if (m_activeColour)
        m_view->DrawCollectMarker(m_col, m_row);
    else
        m_view->DrawTarget(m_col, m_row);
}
