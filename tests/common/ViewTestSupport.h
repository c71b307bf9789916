#pragma once

#include "document/CVespiraDoc.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <gtest/gtest.h>

#include <memory>

// A program state and one document on a grid of nx x ny points with X from 0 in steps of
// 0.5 and Y from 0 in steps of 0.25.
struct ViewFixtureBase
{
    CFakeHostUi ui;
    CTestProgram state{ui};
    std::unique_ptr<CVespiraDoc> doc;

    void MakeDoc(int nx, int ny, float xInc = 0.5f, float yInc = 0.25f)
    {
        doc = std::make_unique<CVespiraDoc>(state);
        ScanGrid grid{nx, ny, 0.0f, (nx - 1) * xInc, xInc, 0.0f, (ny - 1) * yInc, yInc};
        ASSERT_TRUE(doc->SetUpGrid(grid));
    }
    void SetIntensity(int col, int row, int value)
    {
        doc->m_pIntensity[static_cast<std::size_t>(doc->IndexOf(col, row))] = value;
    }
    void SetTime(int col, int row, float time) { doc->SetScanTime(col, row, time); }
};
