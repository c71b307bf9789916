#include "CVespiraView.h"

#include "CVespiraDoc.h"

CVespiraView::CVespiraView(CVespiraDoc& doc, CProgramState& state, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_state(state)
{
}

void CVespiraView::DrawCell(int, int) { update(); }
void CVespiraView::DrawTarget(int, int) { update(); }
void CVespiraView::DrawCollectMarker(int, int) { update(); }
void CVespiraView::DrawAllTargets() { update(); }
void CVespiraView::DrawStatistics() { update(); }
void CVespiraView::DrawColourScale() { update(); }
void CVespiraView::RequestRepaint() { update(); }
