#include "tools/vespira-rad/ExportColours.h"

#include "base/SettingsFile.h"
#include "display/StoredColours.h"

#include <cstdio>

ProgramColours ProgramColoursForExport()
{
    ProgramColours colours;
    const QString path = ProgramSettingsPath();
    if (LoadStoredColours(path, colours) == StoredColoursRead::Unreadable)
        std::fprintf(stderr,
                     "vespira-rad: cannot read the settings file %s; the built-in colours are "
                     "used\n",
                     path.toLocal8Bit().constData());
    return colours;
}
