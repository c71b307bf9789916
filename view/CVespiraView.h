#pragma once

#include "IPatternView.h"

#include <QWidget>

class CProgramState;
class CVespiraDoc;

// The pattern view. Placeholder until the drawing lands: it keeps the constructor
// and the view operations that the rest of the program calls.
class CVespiraView : public QWidget, public IPatternView
{
    Q_OBJECT

public:
    CVespiraView(CVespiraDoc& doc, CProgramState& state, QWidget* parent = nullptr);

    CVespiraDoc* GetDocument() const override { return &m_doc; }
    void DrawCell(int col, int row) override;
    void DrawTarget(int col, int row) override;
    void DrawCollectMarker(int col, int row) override;
    void DrawAllTargets() override;
    void DrawStatistics() override;
    void DrawColourScale() override;
    void RequestRepaint() override;

private:
    CVespiraDoc& m_doc;
    CProgramState& m_state;
};
