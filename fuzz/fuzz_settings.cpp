// libFuzzer target: any bytes as the settings file read at start-up, then the look-up
// table and colours they lead to, must start the program's state without a crash or
// undefined behaviour.
#include "CProgramState.h"
#include "CSettings.h"
#include "ColourSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

class CSilentUi : public IHostUi
{
public:
    Answer ShowMessage(const QString&, Buttons, Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
};

QTemporaryDir& Folder()
{
    // In memory where possible: saves sync to disk, which would slow every run.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/vespira-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/vespira-fuzz-XXXXXX"));
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return Folder().isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = Folder().filePath(QStringLiteral("ORMA Radiography.conf"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    CSilentUi ui;
    CProgramState state(ui);
    const CSettings settings(path);
    if (settings.Read(state).keyOpened)
        LoadStartupColours(state);
    settings.ReadRecentFiles();
    return 0;
}
