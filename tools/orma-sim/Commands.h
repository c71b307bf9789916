#pragma once

#include <QStringList>

// The simulator's commands; each takes its own arguments (after the command name) and
// returns the exit code.
int RunScan(const QStringList& args);
int RunReplay(const QStringList& args);
int RunSend(const QStringList& args);
int RunTargets(const QStringList& args);
int RunBench(const QStringList& args);
