#pragma once

#include "document/IPatternView.h"

#include <string>
#include <vector>

// Records every drawing call as "Cell 1,2", "Target 1,2", "Marker 1,2", "AllTargets".
struct CRecordingView : IPatternView
{
    explicit CRecordingView(CVespiraDoc* doc) : doc(doc) {}
    CVespiraDoc* GetDocument() const override { return doc; }
    void DrawCell(int c, int r) override { Log("Cell", c, r); }
    void DrawTarget(int c, int r) override { Log("Target", c, r); }
    void DrawCollectMarker(int c, int r) override { Log("Marker", c, r); }
    void DrawAllTargets() override { calls.push_back("AllTargets"); }
    void DrawStatistics() override { ++statistics; }
    void DrawColourScale() override { ++scales; }
    void RequestRepaint() override { calls.push_back("Repaint"); }
    void Log(const char* what, int c, int r)
    {
        calls.push_back(std::string(what) + " " + std::to_string(c) + "," + std::to_string(r));
    }

    CVespiraDoc* doc;
    std::vector<std::string> calls;
    int statistics = 0;
    int scales = 0;
};
