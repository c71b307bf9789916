#include "app/CSettings.h"

#include "app/ProgramState.h"
#include "base/SettingsFile.h"
#include "display/StoredColours.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("Settings");
const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kDialogGroup = QStringLiteral("File Dialogs");
const QString kLastFolder = QStringLiteral("LastFolder");
const QString kLiveGroup = QStringLiteral("Live View");

// The value names of group "Settings", each spelled once for reading and writing (the
// colours' names with the colours, in display/StoredColours).
namespace Key {
const QString kCursorType = QStringLiteral("CursorType");
const QString kViewOverlay = QStringLiteral("ViewOverlay");
const QString kViewHeader = QStringLiteral("ViewHeader");
const QString kWndMaximized = QStringLiteral("WndMaximized");
const QString kWndLeft = QStringLiteral("WndLeft");
const QString kWndTop = QStringLiteral("WndTop");
const QString kWndWidth = QStringLiteral("WndWidth");
const QString kWndHeight = QStringLiteral("WndHeight");
const QString kContourLevels = QStringLiteral("ContourLevels");
const QString kPerspective = QStringLiteral("Perspective");
const QString kXRotation = QStringLiteral("XRotation");
const QString kYRotation = QStringLiteral("YRotation");
const QString kZRotation = QStringLiteral("ZRotation");
const QString kImageOrientation = QStringLiteral("ImageOrientation");
const QString kPlot3DWidth = QStringLiteral("Plot3DWidth");
const QString kPlot3DHeight = QStringLiteral("Plot3DHeight");
const QString kRangeMode = QStringLiteral("RangeMode");
const QString kRangeScale = QStringLiteral("RangeScale");
const QString kRangeFixedMin = QStringLiteral("RangeFixedMin");
const QString kRangeFixedMax = QStringLiteral("RangeFixedMax");
const QString kRangePercentile = QStringLiteral("RangePercentile");
} // namespace Key

} // namespace

CSettings::CSettings(QString filePath) : m_strPath(std::move(filePath)) {}

QString CSettings::DefaultFilePath()
{
    return ProgramSettingsPath();
}

SettingsReadResult CSettings::Read(ProgramState& state, ShowState startShow) const
{
    SettingsReadResult result;
    const QFileInfo info(m_strPath);
    if (!info.exists())
        return result;
    if (SettingsFileUnreadable(info)) {
        result.unreadable = true;
        return result;
    }
    QSettings s(m_strPath, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        result.unreadable = true;
        return result;
    }
    if (!s.childGroups().contains(kGroup))
        return result; // the key does not exist: first run
    s.beginGroup(kGroup);
    result.keyOpened = true;

    ReadStoredColours(s, state.colours);
    int value = 0;
    if (ReadInt(s, Key::kCursorType, value))
        state.tools.tool = static_cast<CursorTool>(value);
    if (ReadInt(s, Key::kViewOverlay, value))
        state.view.overlay = value != 0;
    if (ReadInt(s, Key::kViewHeader, value))
        state.view.header = value != 0;
    WindowPlacement& placement = state.placement;
    if (ReadInt(s, Key::kWndMaximized, value)) {
        placement.maximized = value != 0;
        if (startShow != ShowState::Minimized)
            result.showState = value != 0 ? ShowState::Maximized : ShowState::Normal;
    }
    if (!ReadInt(s, Key::kWndLeft, placement.left))
        placement.left = -1;
    ReadInt(s, Key::kWndTop, placement.top);
    ReadInt(s, Key::kWndWidth, placement.width);
    ReadInt(s, Key::kWndHeight, placement.height);

    // The 3D values go through a scratch value and are taken only when read.
    Plot3DSettings& plot3d = state.plot3d;
    if (ReadInt(s, Key::kContourLevels, value))
        plot3d.contourLevels = value;
    double scratch = 0.0;
    if (ReadDouble(s, Key::kPerspective, scratch))
        plot3d.perspective = scratch;
    if (ReadDouble(s, Key::kXRotation, scratch))
        plot3d.xRotation = scratch;
    if (ReadDouble(s, Key::kYRotation, scratch))
        plot3d.yRotation = scratch;
    if (ReadDouble(s, Key::kZRotation, scratch)) {
        plot3d.zRotation = scratch;
        plot3d.present = true;
    }
    ReadInt(s, Key::kImageOrientation, state.view.orientation);
    ReadInt(s, Key::kPlot3DWidth, plot3d.windowWidth);
    ReadInt(s, Key::kPlot3DHeight, plot3d.windowHeight);
    RangeSettings& range = state.colours.display.range;
    if (ReadInt(s, Key::kRangeMode, value))
        range.mode = static_cast<RangeMode>(value);
    if (ReadInt(s, Key::kRangeScale, value))
        range.scale = static_cast<IntensityScale>(value);
    ReadInt(s, Key::kRangeFixedMin, range.fixedMin);
    ReadInt(s, Key::kRangeFixedMax, range.fixedMax);
    ReadDouble(s, Key::kRangePercentile, range.percentile);
    range = SoundRangeSettings(range);
    s.endGroup();
    return result;
}

bool CSettings::Write(const ProgramState& state) const
{
    {
        const QFileInfo info(m_strPath);
        if (info.exists() && !info.isFile())
            return false;
        QSettings probe(m_strPath, QSettings::IniFormat);
        if (probe.status() == QSettings::FormatError) {
            // A corrupt file is replaced by the values of this run.
            QFile::remove(m_strPath);
        }
    }
    QSettings s(m_strPath, QSettings::IniFormat);
    if (!s.isWritable())
        return false;
    s.beginGroup(kGroup);
    auto integer = [&s](const QString& name, int value) { s.setValue(name, value); };
    WriteStoredColours(s, state.colours);
    integer(Key::kCursorType, static_cast<int>(state.tools.tool));
    integer(Key::kViewOverlay, state.view.overlay ? 1 : 0);
    integer(Key::kViewHeader, state.view.header ? 1 : 0);
    const WindowPlacement& placement = state.placement;
    integer(Key::kWndMaximized, placement.maximized ? 1 : 0);
    integer(Key::kWndLeft, placement.left);
    integer(Key::kWndTop, placement.top);
    integer(Key::kWndWidth, placement.width);
    integer(Key::kWndHeight, placement.height);
    const Plot3DSettings& plot3d = state.plot3d;
    if (plot3d.present) {
        integer(Key::kContourLevels, plot3d.contourLevels);
        s.setValue(Key::kPerspective, plot3d.perspective);
        s.setValue(Key::kXRotation, plot3d.xRotation);
        s.setValue(Key::kYRotation, plot3d.yRotation);
        s.setValue(Key::kZRotation, plot3d.zRotation);
    }
    integer(Key::kImageOrientation, state.view.orientation);
    if (plot3d.windowWidth > 0 && plot3d.windowHeight > 0) {
        integer(Key::kPlot3DWidth, plot3d.windowWidth);
        integer(Key::kPlot3DHeight, plot3d.windowHeight);
    }
    const RangeSettings& range = state.colours.display.range;
    integer(Key::kRangeMode, static_cast<int>(range.mode));
    integer(Key::kRangeScale, static_cast<int>(range.scale));
    integer(Key::kRangeFixedMin, range.fixedMin);
    integer(Key::kRangeFixedMax, range.fixedMax);
    s.setValue(Key::kRangePercentile, range.percentile);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

QByteArrayList CSettings::ReadRecentFiles() const
{
    QByteArrayList files;
    const QFileInfo info(m_strPath);
    if (!info.exists() || SettingsFileUnreadable(info))
        return files;
    QSettings s(m_strPath, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return files;
    s.beginGroup(kRecentGroup);
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QVariant value = s.value(QStringLiteral("File%1").arg(i));
        const QByteArray file = value.typeId() == QMetaType::QByteArray
                                    ? value.toByteArray()
                                    : QFile::encodeName(value.toString());
        if (!file.isEmpty() && !files.contains(file))
            files << file;
    }
    return files;
}

bool CSettings::WriteRecentFiles(const QByteArrayList& files) const
{
    const QFileInfo info(m_strPath);
    if (info.exists() && !info.isFile())
        return false;
    QSettings s(m_strPath, QSettings::IniFormat);
    if (!s.isWritable())
        return false;
    s.beginGroup(kRecentGroup);
    s.remove(QString());
    for (int i = 0; i < files.size() && i < kRecentFileCount; ++i) {
        // A UTF-8 path stays readable text; any other goes in as its bytes.
        const QString text = QFile::decodeName(files[i]);
        const QVariant value =
            QFile::encodeName(text) == files[i] ? QVariant(text) : QVariant(files[i]);
        s.setValue(QStringLiteral("File%1").arg(i + 1), value);
    }
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

QString CSettings::ReadLastFolder() const
{
    const QFileInfo info(m_strPath);
    if (!info.exists() || SettingsFileUnreadable(info))
        return QString();
    const QSettings s(m_strPath, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return QString();
    return s.value(kDialogGroup + QLatin1Char('/') + kLastFolder).toString();
}

bool CSettings::WriteLastFolder(const QString& folder) const
{
    if (QFileInfo::exists(m_strPath) && !QFileInfo(m_strPath).isFile())
        return false;
    QSettings s(m_strPath, QSettings::IniFormat);
    const QString key = kDialogGroup + QLatin1Char('/') + kLastFolder;
    if (!s.isWritable())
        return false;
    if (folder.isEmpty())
        s.remove(key);
    else
        s.setValue(key, folder);
    s.sync();
    return s.status() == QSettings::NoError;
}

LiveViewSettings CSettings::ReadLiveView() const
{
    LiveViewSettings live;
    const QFileInfo info(m_strPath);
    if (!info.exists() || SettingsFileUnreadable(info))
        return live;
    QSettings s(m_strPath, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return live;
    s.beginGroup(kLiveGroup);
    live.share = s.value(QStringLiteral("Share"), false).toBool();
    bool ok = false;
    const int port = s.value(QStringLiteral("Port"), 0).toInt(&ok);
    live.port = ok && port > 0 && port <= 65535 ? static_cast<quint16>(port) : 0;
    live.allowOthers = s.value(QStringLiteral("AllowOthers"), false).toBool();
    live.keepAddress = s.value(QStringLiteral("KeepAddress"), false).toBool();
    if (live.keepAddress)
        live.token = s.value(QStringLiteral("Token")).toString().toLatin1();
    return live;
}

bool CSettings::WriteLiveView(const LiveViewSettings& live) const
{
    if (QFileInfo::exists(m_strPath) && !QFileInfo(m_strPath).isFile())
        return false;
    QSettings s(m_strPath, QSettings::IniFormat);
    if (!s.isWritable())
        return false;
    s.beginGroup(kLiveGroup);
    s.setValue(QStringLiteral("Share"), live.share);
    s.setValue(QStringLiteral("Port"), static_cast<int>(live.port));
    s.setValue(QStringLiteral("AllowOthers"), live.allowOthers);
    s.setValue(QStringLiteral("KeepAddress"), live.keepAddress);
    if (live.keepAddress && !live.token.isEmpty())
        s.setValue(QStringLiteral("Token"), QString::fromLatin1(live.token));
    else
        s.remove(QStringLiteral("Token"));
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}
