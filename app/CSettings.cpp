#include "app/CSettings.h"

#include "app/ProgramState.h"
#include "base/FixedText.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kGroup = QStringLiteral("Settings");
const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kDialogGroup = QStringLiteral("File Dialogs");
const QString kLastFolder = QStringLiteral("LastFolder");
const QString kLiveGroup = QStringLiteral("Live View");

// The value names of group "Settings", each spelled once for reading and writing.
namespace Key {
const QString kBorder = QStringLiteral("Border");
const QString kSelection = QStringLiteral("Selection");
const QString kActiveTarget = QStringLiteral("ActiveTarget");
const QString kForeground = QStringLiteral("Foreground");
const QString kBackground = QStringLiteral("Background");
const QString kBrightness = QStringLiteral("Brightness");
const QString kContrast = QStringLiteral("Contrast");
const QString kLutFilename = QStringLiteral("LUT filename");
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
const QString kRangeMode = QStringLiteral("RangeMode");
const QString kRangeScale = QStringLiteral("RangeScale");
const QString kRangeFixedMin = QStringLiteral("RangeFixedMin");
const QString kRangeFixedMax = QStringLiteral("RangeFixedMax");
const QString kRangePercentile = QStringLiteral("RangePercentile");
const QString kNotMeasured = QStringLiteral("NotMeasured");
} // namespace Key

// A REG_DWORD value: the low 32 bits of a whole number.
bool ReadDword(const QSettings& s, const QString& name, quint32& out)
{
    const QVariant v = s.value(name);
    if (!v.isValid() || v.userType() == QMetaType::QStringList)
        return false;
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return false;
    out = static_cast<quint32>(n);
    return true;
}

bool ReadInt(const QSettings& s, const QString& name, int& out)
{
    quint32 raw = 0;
    if (!ReadDword(s, name, raw))
        return false;
    out = static_cast<qint32>(raw);
    return true;
}

bool ReadDouble(const QSettings& s, const QString& name, double& out)
{
    const QVariant v = s.value(name);
    if (!v.isValid() || v.userType() == QMetaType::QStringList)
        return false;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok)
        return false;
    out = d;
    return true;
}

// A file that is there but cannot be read as settings.
bool Unreadable(const QFileInfo& info)
{
    if (!info.exists())
        return false;
    if (!info.isFile() || !info.isReadable())
        return true;
    QFile f(info.filePath());
    return !f.open(QIODevice::ReadOnly);
}

} // namespace

CSettings::CSettings(QString filePath) : m_strPath(std::move(filePath)) {}

QString CSettings::DefaultFilePath()
{
    // Named as QSettings names the user's file, but not through a QSettings: that reads
    // the file as it is made, and a FIFO there would hold the start up.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Merovant/ORMA Radiography.conf");
}

SettingsReadResult CSettings::Read(ProgramState& state, ShowState startShow) const
{
    SettingsReadResult result;
    const QFileInfo info(m_strPath);
    if (!info.exists())
        return result;
    if (Unreadable(info)) {
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

    ProgramColours& colours = state.colours;
    quint32 dword = 0;
    if (ReadDword(s, Key::kBorder, dword))
        colours.border = dword;
    if (ReadDword(s, Key::kSelection, dword))
        colours.selection = dword;
    if (ReadDword(s, Key::kActiveTarget, dword))
        colours.activeTarget = dword;
    if (ReadDword(s, Key::kForeground, dword))
        colours.foreground = dword;
    if (ReadDword(s, Key::kBackground, dword))
        colours.background = dword;
    ReadInt(s, Key::kBrightness, colours.display.nBrightness);
    ReadInt(s, Key::kContrast, colours.display.nContrast);
    {
        const QVariant v = s.value(Key::kLutFilename);
        if (v.isValid()) {
            const QString text = v.userType() == QMetaType::QStringList
                                     ? v.toStringList().join(QLatin1Char(','))
                                     : v.toString();
            const QByteArray bytes = text.toLocal8Bit();
            CopyText(colours.display.szLutName, std::string_view(bytes.constData(), bytes.size()));
        }
    }
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
    if (ReadDword(s, Key::kNotMeasured, dword))
        colours.notMeasured = dword & 0x00FFFFFFu;
    RangeSettings& range = colours.display.range;
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
    auto dword = [&s](const QString& name, quint32 value) {
        s.setValue(name, static_cast<qint64>(static_cast<qint32>(value)));
    };
    auto integer = [&s](const QString& name, int value) { s.setValue(name, value); };
    const ProgramColours& colours = state.colours;
    dword(Key::kBorder, colours.border);
    dword(Key::kSelection, colours.selection);
    dword(Key::kActiveTarget, colours.activeTarget);
    dword(Key::kForeground, colours.foreground);
    dword(Key::kBackground, colours.background);
    integer(Key::kBrightness, colours.display.nBrightness);
    integer(Key::kContrast, colours.display.nContrast);
    const std::string_view lut = TextOf(colours.display.szLutName);
    s.setValue(Key::kLutFilename,
               QString::fromLocal8Bit(lut.data(), static_cast<qsizetype>(lut.size())));
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
    dword(Key::kNotMeasured, colours.notMeasured);
    const RangeSettings& range = colours.display.range;
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
    if (!info.exists() || Unreadable(info))
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
    if (!info.exists() || Unreadable(info))
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
    if (!info.exists() || Unreadable(info))
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
