// libFuzzer target: any bytes as the settings file read at start-up, then the look-up
// table and colours they lead to, must start the program's state without a crash or
// undefined behaviour.
#include "app/CSettings.h"
#include "app/ProgramState.h"
#include "display/ColourSettings.h"
#include "display/StoredColours.h"
#include "fuzz/FuzzFolder.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    return InitialiseFuzzTarget(argc, argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = FuzzFolder().filePath(QStringLiteral("ORMA Radiography.conf"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    ProgramState state;
    const CSettings settings(path);
    if (settings.Read(state).keyOpened)
        LoadStartupColours(state.colours.display);
    settings.ReadRecentFiles();
    // As vespira-rad reads the colours for an export.
    ProgramColours colours;
    LoadStoredColours(path, colours);
    return 0;
}
