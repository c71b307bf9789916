#include "tools/orma-sim/CScanRunner.h"

#include "base/NumberText.h"
#include "document/ScanGrid.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

PipeMessage Command(std::int32_t code, float x = 0.0f, float y = 0.0f, std::int32_t value = 0)
{
    PipeMessage m;
    m.code = code;
    m.param1 = x;
    m.param2 = y;
    m.intParam = value;
    return m;
}

} // namespace

SimExit CScanRunner::Send(const PipeMessage& request, bool pointsExpected)
{
    std::int32_t status = 0;
    if (!m_link.Exchange(request, status))
        return m_link.lastWasStop ? kExitInterrupted : kExitLink;
    if (status == -1 && pointsExpected) {
        if (m_terminal)
            std::fputc('\n', stderr);
        SimError("Vespira answered -1: the pattern being scanned no longer exists (it was "
                 "closed); scan stopped.");
        return kExitPatternGone;
    }
    if (status != 0 && status != -1) {
        SimError("unexpected reply status " + FormatInt(status) + "; scan stopped.");
        return kExitLink;
    }
    return kExitOk;
}

void CScanRunner::Progress(long done, long total, bool last)
{
    if (!m_terminal)
        return;
    const double elapsed = Now() - m_startSeconds;
    const double rate = elapsed > 0 ? done / elapsed : 0.0;
    std::fprintf(stderr, "\r  %ld / %ld points  %3ld%%  %s points/s   ", done, total,
                 total > 0 ? done * 100 / total : 100, FormatFixed(rate, 0).c_str());
    if (last)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

SimExit CScanRunner::Run(const ScanPlan& plan)
{
    m_terminal = ::isatty(STDERR_FILENO) == 1;
    ScanGrid grid{0, 0, plan.xBeg, plan.xEnd, plan.xInc, plan.yBeg, plan.yEnd, plan.yInc};
    if (!ComputeGridCounts(grid)) {
        SimError("the grid has no points or too many; check begin, end and increment");
        return kExitUsage;
    }

    PipeMessage newImage = Command(kNewImage, plan.xBeg, plan.xEnd);
    newImage.param3 = plan.xInc;
    newImage.param4 = plan.yBeg;
    newImage.param5 = plan.yEnd;
    newImage.param6 = plan.yInc;
    SimExit exit = Send(newImage, false);
    if (exit == kExitOk)
        exit = Send(plan.measurement, true);
    if (exit == kExitOk)
        exit = Send(plan.background, true);
    if (exit != kExitOk)
        return exit;

    const long total = static_cast<long>(grid.nXPoints) * grid.nYPoints;
    m_startSeconds = Now();
    double lastProgress = 0.0;
    long done = 0;
    for (int r = 0; r < grid.nYPoints && exit == kExitOk; ++r) {
        for (int c = 0; c < grid.nXPoints && exit == kExitOk; ++c) {
            if (m_stop.Raised()) {
                exit = kExitInterrupted;
                break;
            }
            if (plan.rate > 0) {
                const double due = m_startSeconds + done / plan.rate;
                const double wait = due - Now();
                if (wait > 0)
                    std::this_thread::sleep_for(std::chrono::duration<double>(wait));
            }
            const float x = static_cast<float>(static_cast<double>(plan.xBeg) +
                                               c * static_cast<double>(plan.xInc));
            const float y = static_cast<float>(static_cast<double>(plan.yEnd) -
                                               r * static_cast<double>(plan.yInc));
            exit = Send(Command(kCollecting, x, y), true);
            if (exit == kExitOk)
                exit = Send(Command(kNewPoint, x, y, plan.intensity(c, r, x, y)), true);
            if (exit == kExitOk)
                ++done;
            if (Now() - lastProgress > 0.1 || done == total) {
                lastProgress = Now();
                Progress(done, total, done == total);
            }
        }
    }

    if (exit == kExitInterrupted) {
        // Ctrl+C: take the marker away before leaving, within a short wait.
        if (m_terminal)
            std::fputc('\n', stderr);
        m_stop.Clear();
        m_link.replyTimeoutMs = 2000;
        std::int32_t status = 0;
        m_link.Exchange(Command(kEndCollect), status);
        SimError("interrupted after " + FormatInt(done) + " of " + FormatInt(total) + " points");
        return kExitInterrupted;
    }
    if (exit != kExitOk) {
        // Points answered: those Vespira had stored when the link broke.
        SimError("scan stopped after " + FormatInt(done) + " of " + FormatInt(total) +
                 " points answered");
        return exit;
    }
    exit = Send(Command(kEndCollect), true);
    if (exit == kExitOk && !plan.savePath.empty()) {
        PipeMessage save = Command(kSaveImage);
        SetPipeText(save, plan.savePath.c_str());
        exit = Send(save, true);
    }
    if (exit == kExitOk)
        std::printf("scan of %ld points done in %s s%s%s\n", total,
                    FormatFixed(Now() - m_startSeconds, 1).c_str(),
                    plan.savePath.empty() ? "" : ", saved to ", plan.savePath.c_str());
    return exit;
}
