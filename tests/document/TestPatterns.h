#pragma once

#include "document/CVespiraDoc.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <string>

// The 5 x 3 example pattern as the writer writes it.
inline const std::string kExamplePattern = "ORMA Radiography Pattern & Selection File\n"
                                           "File: sample.rad\n"
                                           "GMT: created: 2003-03-02  8:07:06  modified: "
                                           "2003-03-02 14:20:00\n"
                                           "MEASURE: time: 10.0  kv: 40  ma: 50\n"
                                           "DET: dist: 105.50  x: 512.00  y: 498.25  size: 1024\n"
                                           "X: beg: 0.0 end: 2.0 inc: 0.5\n"
                                           "Y: beg: 0.0 end: 1.0 inc: 0.5\n"
                                           "Begin Radiography:\n"
                                           "10 11 12 13 14 20 21 22 23 24 30 31 32 33 34\n"
                                           "End Radiography:\n"
                                           "Begin Selection:\n"
                                           "1:  x: 0.5  y: 0.0  time: 900.0\n"
                                           "End Selection:\n";

// A program state and the documents of one test.
struct DocFixture
{
    CFakeHostUi ui;
    CTestProgram state{ui};

    // A new document on a grid given like the instrument gives it.
    std::unique_ptr<CVespiraDoc> NewDoc(float xBeg, float xEnd, float xInc, float yBeg, float yEnd,
                                        float yInc)
    {
        ScanGrid grid{0, 0, xBeg, xEnd, xInc, yBeg, yEnd, yInc};
        ComputeGridCounts(grid);
        state.liveScan.SetPendingGrid(grid);
        auto doc = std::make_unique<CVespiraDoc>(state);
        if (!doc->OnNewDocument())
            return nullptr;
        return doc;
    }
};
