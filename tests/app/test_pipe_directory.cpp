#include "link/PipeDirectory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvGuard
{
public:
    EnvGuard(const char* name, const QByteArray& value) : m_name(name)
    {
        m_bHad = qEnvironmentVariableIsSet(name);
        m_old = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvGuard()
    {
        if (m_bHad)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_bHad = false;
};

mode_t ModeOf(const QString& path)
{
    struct stat st
    {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST(PipeDirectory, VespiraPipeDirIsCreatedPrivate)
{
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/p");
    EnvGuard env("VESPIRA_PIPE_DIR", QFile::encodeName(dir));
    const PipeDirectoryResult result = PipeDirectory();
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.path, dir);
    EXPECT_EQ(ModeOf(dir), 0700u);
}

TEST(PipeDirectory, XdgRuntimeDirWhenNoVespiraPipeDir)
{
    QTemporaryDir tmp;
    ::chmod(QFile::encodeName(tmp.path()).constData(), 0700);
    EnvGuard a("VESPIRA_PIPE_DIR", QByteArray());
    EnvGuard b("XDG_RUNTIME_DIR", QFile::encodeName(tmp.path()));
    const PipeDirectoryResult result = PipeDirectory();
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.path, tmp.path());
}

TEST(PipeDirectory, TmpFallbackCarriesTheUserId)
{
    EnvGuard a("VESPIRA_PIPE_DIR", QByteArray());
    EnvGuard b("XDG_RUNTIME_DIR", QByteArray());
    const PipeDirectoryResult result = PipeDirectory();
    const QString expected = QStringLiteral("/tmp/vespira-%1").arg(::getuid());
    if (result.ok()) {
        EXPECT_EQ(result.path, expected);
        EXPECT_EQ(ModeOf(expected) & 077, 0u);
    } else {
        // Refused only for a reason the message names.
        EXPECT_TRUE(result.error.contains(expected));
    }
}

TEST(PipeDirectory, GroupOrOtherWritableIsRefused)
{
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/open");
    QDir().mkdir(dir);
    ::chmod(QFile::encodeName(dir).constData(), 0770);
    PipeDirectoryResult result = CheckPipeDirectory(dir);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("writable by group or others")));
    EXPECT_TRUE(result.path.isEmpty());
    ::chmod(QFile::encodeName(dir).constData(), 0702);
    EXPECT_FALSE(CheckPipeDirectory(dir).ok());
}

TEST(PipeDirectory, OwnedByAnotherUserIsRefused)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to give a directory away";
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/theirs");
    QDir().mkdir(dir);
    ::chmod(QFile::encodeName(dir).constData(), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(dir).constData(), 65534, 65534), 0);
    const PipeDirectoryResult result = CheckPipeDirectory(dir);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("owned by another user")));
}

TEST(PipeDirectory, AFileIsNotADirectory)
{
    QTemporaryDir tmp;
    const QString path = tmp.path() + QStringLiteral("/file");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const PipeDirectoryResult result = CheckPipeDirectory(path);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("not a directory")));
}
