#include "base/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

QString ProgramSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Merovant/ORMA Radiography.conf");
}

bool SettingsFileUnreadable(const QFileInfo& info)
{
    if (!info.exists())
        return false;
    if (!info.isFile() || !info.isReadable())
        return true;
    QFile f(info.filePath());
    return !f.open(QIODevice::ReadOnly);
}

namespace {

// The trimmed text of a single value; nothing for a missing value or a list.
QString ScalarText(const QSettings& s, const QString& name)
{
    const QVariant v = s.value(name);
    if (!v.isValid() || v.userType() == QMetaType::QStringList)
        return {};
    return v.toString().trimmed();
}

} // namespace

bool ReadDword(const QSettings& s, const QString& name, quint32& out)
{
    bool ok = false;
    const qlonglong n = ScalarText(s, name).toLongLong(&ok);
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
    bool ok = false;
    const double d = ScalarText(s, name).toDouble(&ok);
    if (!ok)
        return false;
    out = d;
    return true;
}
