#include "document/CLiveScan.h"

#include "document/IPatternView.h"

void CLiveScan::Set(CVespiraDoc* doc, IPatternView* view)
{
    if (doc != m_pDocument)
        m_marker.on = false;
    if (doc == m_pDocument && view == m_pView)
        return;
    m_pDocument = doc;
    m_pView = view;
    emit activeChanged();
}

void CLiveScan::SetActive(CVespiraDoc* doc, IPatternView* view)
{
    Set(doc, doc != nullptr ? view : nullptr);
}

void CLiveScan::SetView(IPatternView* view)
{
    if (m_pDocument != nullptr && (view == nullptr || view->GetDocument() == m_pDocument))
        Set(m_pDocument, view);
}

void CLiveScan::Forget()
{
    Set(nullptr, nullptr);
}

void CLiveScan::ForgetDocument(const CVespiraDoc* doc)
{
    if (IsActive(doc))
        Forget();
}

void CLiveScan::ForgetView(const IPatternView* view, IPatternView* replacement)
{
    if (view != nullptr && view == m_pView)
        SetView(replacement);
}

void CLiveScan::PointCollected()
{
    if (m_nPointsRemaining > 0)
        --m_nPointsRemaining;
}

CollectMarker CLiveScan::MarkerIn(const CVespiraDoc& doc) const
{
    return IsActive(&doc) ? m_marker : CollectMarker{};
}
