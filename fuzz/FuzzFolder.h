#pragma once

#include "document/IHostUi.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

// The private folder of a fuzz target's files, in memory where possible: saves sync to
// disk, which would slow every run. Nothing outside it is ever written.
inline QTemporaryDir& FuzzFolder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/vespira-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/vespira-fuzz-XXXXXX"));
    return dir;
}

// Answers every message with its default, without a word: a fuzz run shows thousands.
class CSilentUi : public IHostUi
{
public:
    Answer ShowMessage(const QString&, Buttons, Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
};

// A Qt application for the whole run, and the folder; libFuzzer's initialisation hook.
inline int InitialiseFuzzTarget(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return FuzzFolder().isValid() ? 0 : 1;
}
