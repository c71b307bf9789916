#pragma once

#include <QProcess>

// True once the process has ended. waitForFinished alone is false for a process that
// ended while an event loop ran (a dialog's, a qWait): QProcess has reaped it then.
inline bool HasEnded(QProcess& process, int timeoutMs)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
}
