#pragma once

#include "tools/orma-sim/SimLink.h"

#include <cstdint>
#include <functional>
#include <string>

// What a scan sends: the grid, the header parameters and one intensity per point.
struct ScanPlan
{
    float xBeg = -5.0f, xEnd = 5.0f, xInc = 0.2f;
    float yBeg = -5.0f, yEnd = 5.0f, yInc = 0.2f;
    PipeMessage measurement; // code 8
    PipeMessage background;  // code 9
    // Counts at column c, row r (row 0 at Y end), X and Y as sent.
    std::function<std::int32_t(int c, int r, float x, float y)> intensity;
    double rate = 0.0;    // points per second; 0 as fast as possible
    std::string savePath; // SAVEIMAGE at the end when not empty
};

// Runs a scan as the instrument does: NEWIMAGE, the parameters, COLLECTING and NEWPOINT
// for every point, ENDCOLLECT, SAVEIMAGE. Every reply is checked; -1 ends the scan.
class CScanRunner
{
public:
    CScanRunner(CSimLink& link, CStopSignal& stop) : m_link(link), m_stop(stop) {}
    SimExit Run(const ScanPlan& plan);

private:
    // One exchange; the exit code to end with, or kExitOk to go on.
    SimExit Send(const PipeMessage& request, bool pointsExpected);
    void Progress(long done, long total, bool last);

    CSimLink& m_link;
    CStopSignal& m_stop;
    bool m_terminal = false;
    double m_startSeconds = 0.0;
};
