#include "display/StoredColours.h"

#include "base/FixedText.h"
#include "base/SettingsFile.h"
#include "display/ColourSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kBorder = QStringLiteral("Border");
const QString kSelection = QStringLiteral("Selection");
const QString kActiveTarget = QStringLiteral("ActiveTarget");
const QString kForeground = QStringLiteral("Foreground");
const QString kBackground = QStringLiteral("Background");
const QString kBrightness = QStringLiteral("Brightness");
const QString kContrast = QStringLiteral("Contrast");
const QString kLutFilename = QStringLiteral("LUT filename");
const QString kNotMeasured = QStringLiteral("NotMeasured");

} // namespace

void ReadStoredColours(const QSettings& s, ProgramColours& colours)
{
    quint32 dword = 0;
    if (ReadDword(s, kBorder, dword))
        colours.border = dword;
    if (ReadDword(s, kSelection, dword))
        colours.selection = dword;
    if (ReadDword(s, kActiveTarget, dword))
        colours.activeTarget = dword;
    if (ReadDword(s, kForeground, dword))
        colours.foreground = dword;
    if (ReadDword(s, kBackground, dword))
        colours.background = dword;
    if (ReadDword(s, kNotMeasured, dword))
        colours.notMeasured = dword & 0x00FFFFFFu;
    ReadInt(s, kBrightness, colours.display.nBrightness);
    ReadInt(s, kContrast, colours.display.nContrast);
    const QVariant v = s.value(kLutFilename);
    if (v.isValid()) {
        const QString text = v.userType() == QMetaType::QStringList
                                 ? v.toStringList().join(QLatin1Char(','))
                                 : v.toString();
        const QByteArray bytes = text.toLocal8Bit();
        CopyText(colours.display.szLutName, std::string_view(bytes.constData(), bytes.size()));
    }
}

void WriteStoredColours(QSettings& s, const ProgramColours& colours)
{
    auto dword = [&s](const QString& name, quint32 value) {
        s.setValue(name, static_cast<qint64>(static_cast<qint32>(value)));
    };
    dword(kBorder, colours.border);
    dword(kSelection, colours.selection);
    dword(kActiveTarget, colours.activeTarget);
    dword(kForeground, colours.foreground);
    dword(kBackground, colours.background);
    dword(kNotMeasured, colours.notMeasured);
    s.setValue(kBrightness, colours.display.nBrightness);
    s.setValue(kContrast, colours.display.nContrast);
    const std::string_view lut = TextOf(colours.display.szLutName);
    s.setValue(kLutFilename,
               QString::fromLocal8Bit(lut.data(), static_cast<qsizetype>(lut.size())));
}

StoredColoursRead LoadStoredColours(const QString& path, ProgramColours& colours)
{
    const QFileInfo info(path);
    if (!info.exists())
        return StoredColoursRead::None;
    if (SettingsFileUnreadable(info))
        return StoredColoursRead::Unreadable;
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return StoredColoursRead::Unreadable;
    const QString group = QStringLiteral("Settings");
    if (!s.childGroups().contains(group))
        return StoredColoursRead::None;
    s.beginGroup(group);
    ReadStoredColours(s, colours);
    LoadStartupColours(colours.display);
    return StoredColoursRead::Loaded;
}
