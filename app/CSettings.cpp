#include "app/CSettings.h"

#include "base/FixedText.h"
#include "document/CProgramState.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kGroup = QStringLiteral("Settings");
const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kDialogGroup = QStringLiteral("File Dialogs");
const QString kLastFolder = QStringLiteral("LastFolder");

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

SettingsReadResult CSettings::Read(CProgramState& state, ShowState startShow) const
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

    quint32 dword = 0;
    if (ReadDword(s, QStringLiteral("Border"), dword))
        state.border = dword;
    if (ReadDword(s, QStringLiteral("Selection"), dword))
        state.selection = dword;
    if (ReadDword(s, QStringLiteral("ActiveTarget"), dword))
        state.activeTarget = dword;
    if (ReadDword(s, QStringLiteral("Foreground"), dword))
        state.foreground = dword;
    if (ReadDword(s, QStringLiteral("Background"), dword))
        state.background = dword;
    ReadInt(s, QStringLiteral("Brightness"), state.display.nBrightness);
    ReadInt(s, QStringLiteral("Contrast"), state.display.nContrast);
    {
        const QVariant v = s.value(QStringLiteral("LUT filename"));
        if (v.isValid()) {
            const QString text = v.userType() == QMetaType::QStringList
                                     ? v.toStringList().join(QLatin1Char(','))
                                     : v.toString();
            const QByteArray bytes = text.toLocal8Bit();
            CopyText(state.display.szLutName, std::string_view(bytes.constData(), bytes.size()));
        }
    }
    ReadInt(s, QStringLiteral("CursorType"), state.cursorType);
    int flag = 0;
    if (ReadInt(s, QStringLiteral("ViewOverlay"), flag))
        state.viewOverlay = flag != 0;
    if (ReadInt(s, QStringLiteral("ViewHeader"), flag))
        state.viewHeader = flag != 0;
    if (ReadInt(s, QStringLiteral("WndMaximized"), flag)) {
        state.placement.maximized = flag != 0;
        if (startShow != ShowState::Minimized)
            result.showState = flag != 0 ? ShowState::Maximized : ShowState::Normal;
    }
    if (!ReadInt(s, QStringLiteral("WndLeft"), state.placement.left))
        state.placement.left = -1;
    ReadInt(s, QStringLiteral("WndTop"), state.placement.top);
    ReadInt(s, QStringLiteral("WndWidth"), state.placement.width);
    ReadInt(s, QStringLiteral("WndHeight"), state.placement.height);

    // The 3D values go through a scratch value and are taken only when read.
    int levels = 0;
    if (ReadInt(s, QStringLiteral("ContourLevels"), levels))
        state.plot3d.contourLevels = levels;
    double scratch = 0.0;
    if (ReadDouble(s, QStringLiteral("Perspective"), scratch))
        state.plot3d.perspective = scratch;
    if (ReadDouble(s, QStringLiteral("XRotation"), scratch))
        state.plot3d.xRotation = scratch;
    if (ReadDouble(s, QStringLiteral("YRotation"), scratch))
        state.plot3d.yRotation = scratch;
    if (ReadDouble(s, QStringLiteral("ZRotation"), scratch)) {
        state.plot3d.zRotation = scratch;
        state.plot3d.present = true;
    }
    ReadInt(s, QStringLiteral("ImageOrientation"), state.imageOrientation);
    s.endGroup();
    return result;
}

bool CSettings::Write(const CProgramState& state) const
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
    auto dword = [&s](const char* name, quint32 value) {
        s.setValue(QLatin1String(name), static_cast<qint64>(static_cast<qint32>(value)));
    };
    auto integer = [&s](const char* name, int value) { s.setValue(QLatin1String(name), value); };
    dword("Border", state.border);
    dword("Selection", state.selection);
    dword("ActiveTarget", state.activeTarget);
    dword("Foreground", state.foreground);
    dword("Background", state.background);
    integer("Brightness", state.display.nBrightness);
    integer("Contrast", state.display.nContrast);
    const std::string_view lut = TextOf(state.display.szLutName);
    s.setValue(QStringLiteral("LUT filename"),
               QString::fromLocal8Bit(lut.data(), static_cast<qsizetype>(lut.size())));
    integer("CursorType", state.cursorType);
    integer("ViewOverlay", state.viewOverlay ? 1 : 0);
    integer("ViewHeader", state.viewHeader ? 1 : 0);
    integer("WndMaximized", state.placement.maximized ? 1 : 0);
    integer("WndLeft", state.placement.left);
    integer("WndTop", state.placement.top);
    integer("WndWidth", state.placement.width);
    integer("WndHeight", state.placement.height);
    if (state.plot3d.present) {
        integer("ContourLevels", state.plot3d.contourLevels);
        s.setValue(QStringLiteral("Perspective"), state.plot3d.perspective);
        s.setValue(QStringLiteral("XRotation"), state.plot3d.xRotation);
        s.setValue(QStringLiteral("YRotation"), state.plot3d.yRotation);
        s.setValue(QStringLiteral("ZRotation"), state.plot3d.zRotation);
    }
    integer("ImageOrientation", state.imageOrientation);
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
