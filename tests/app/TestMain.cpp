#include "app/CSplashWnd.h"
#include "app/Resources.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Every test runs with the offscreen platform, its settings in a temporary
// XDG_CONFIG_HOME, its scan journals in a temporary XDG_STATE_HOME and its sockets in a
// temporary pipe directory.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    QTemporaryDir pipes;
    QTemporaryDir state;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    qputenv("VESPIRA_PIPE_DIR", (pipes.path() + QStringLiteral("/pipes")).toLocal8Bit());
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    InitVespiraResources();
    CSplashWnd::EnableSplashScreen(false);
    return RUN_ALL_TESTS();
}
