#include "link/CMarkerBlinker.h"

#include "document/CProgramState.h"
#include "document/CVespiraDoc.h"

CMarkerBlinker::CMarkerBlinker(CProgramState& state)
    : m_state(state), m_view(state.activeView),
      m_viewObject(dynamic_cast<QObject*>(state.activeView)), m_viewWatched(!m_viewObject.isNull()),
      m_col(state.collectMarker.col), m_row(state.collectMarker.row)
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
    if (m_view == nullptr || (m_viewWatched && m_viewObject.isNull()) ||
        m_state.activeView != m_view)
        return false;
    // A LOADIMAGE may have given the document another grid since the marker was set.
    const CVespiraDoc* doc = m_view->GetDocument();
    return doc != nullptr && doc->IsInGrid(m_col, m_row);
}

void CMarkerBlinker::Step()
{
    if (!m_state.collectMarker.on) {
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
