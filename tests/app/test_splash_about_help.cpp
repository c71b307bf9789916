#include "app/CAboutDlg.h"
#include "app/CHelpWindow.h"
#include "app/CQtHostUi.h"
#include "app/CSplashWnd.h"
#include "app/CommandIds.h"
#include "document/CVespiraDoc.h"
#include "tests/app/ShellFixture.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Collects what is written to standard error while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_saved = ::dup(2);
        std::snprintf(m_path, sizeof m_path, "/tmp/vespira-stderr-XXXXXX");
        m_fd = ::mkstemp(m_path);
        ::dup2(m_fd, 2);
    }
    QByteArray Take()
    {
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        QByteArray text;
        ::lseek(m_fd, 0, SEEK_SET);
        char buf[4096];
        ssize_t n;
        while ((n = ::read(m_fd, buf, sizeof buf)) > 0)
            text.append(buf, n);
        ::close(m_fd);
        ::unlink(m_path);
        return text;
    }

private:
    int m_saved = -1;
    int m_fd = -1;
    char m_path[64];
};

class SplashTest : public ShellTest
{
protected:
    void SetUp() override
    {
        CSplashWnd::EnableSplashScreen(true);
        ShellTest::SetUp();
    }
    void TearDown() override
    {
        CSplashWnd::HideSplash();
        CSplashWnd::EnableSplashScreen(false);
        ShellTest::TearDown();
    }
};

} // namespace

TEST_F(SplashTest, ShownByTheMainWindowAtThePictureSize)
{
    CSplashWnd* splash = CSplashWnd::Current();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), QSize(520, 317));
    EXPECT_EQ(CSplashWnd::Picture().size(), QSize(520, 317));
    EXPECT_EQ(splash->TimerInterval(), 2500);
    EXPECT_EQ(CSplashWnd::VersionText(), QStringLiteral("1.1.00"));
    EXPECT_TRUE(splash->isVisible());
    // It belongs to the main window, not to the top of every program's windows.
    EXPECT_FALSE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // The version text is drawn at (404, 218) in black.
    const QImage shot = splash->grab().toImage();
    bool dark = false;
    for (int y = 218; y < 240 && !dark; ++y)
        for (int x = 404; x < 470 && !dark; ++x)
            dark = qGray(shot.pixel(x, y)) < 60;
    EXPECT_TRUE(dark);
    // A second call makes no second splash.
    CSplashWnd::ShowSplashScreen(frame.get());
    EXPECT_EQ(CSplashWnd::Current(), splash);
}

TEST_F(SplashTest, AKeyEndsTheSplashAndIsUsedUp)
{
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    QTest::keyClick(frame.get(), Qt::Key_F1);
    Settle();
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(frame->findChild<CHelpWindow*>(), nullptr); // the press went to the splash
    QTest::keyClick(frame.get(), Qt::Key_F1);
    Settle();
    EXPECT_NE(frame->findChild<CHelpWindow*>(), nullptr);
}

TEST_F(SplashTest, AClickEndsTheSplash)
{
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    QTest::mouseClick(frame->MdiArea()->viewport(), Qt::LeftButton);
    Settle();
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
}

TEST_F(SplashTest, TheTimerEndsTheSplash)
{
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([]() { return CSplashWnd::Current() == nullptr; }, 4000));
}

TEST(Splash, NotShownWhenSwitchedOff)
{
    CSplashWnd::EnableSplashScreen(false);
    QWidget parent;
    CSplashWnd::ShowSplashScreen(&parent);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
}

TEST(About, Texts)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Vespira"));
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("ORMA Radiography for Windows NT")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Version: 1.1.01")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Date: 20 Nov 2003")));
    QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text().remove(QLatin1Char('&')), QStringLiteral("OK"));
}

TEST_F(ShellTest, AboutCommandRunsTheAboutBox)
{
    QStringList titles;
    ui.dialogHandler = [&](QDialog& dialog) {
        titles << dialog.windowTitle();
        return 0;
    };
    frame->Action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(titles, QStringList{QStringLiteral("About Vespira")});
}

TEST_F(ShellTest, F1OpensTheUserGuide)
{
    QTest::keyClick(frame.get(), Qt::Key_F1);
    Settle();
    auto* help = frame->findChild<CHelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->Browser()->toPlainText().contains(QStringLiteral("Picking targets")));
    help->close();
    frame->Action(ID_HELP_FINDER)->trigger();
    EXPECT_TRUE(help->isVisible());
}

TEST(HostUi, MessageBoxCaptionAndStderrLine)
{
    CQtHostUi host;
    QString caption;
    QString text;
    QTimer::singleShot(0, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::No)->click();
    });
    StderrCapture capture;
    const IHostUi::Answer answer =
        host.ShowMessage(QStringLiteral("Save changes to\nORMA1?"), IHostUi::Buttons::YesNoCancel,
                         IHostUi::Answer::Yes);
    const QByteArray err = capture.Take();
    EXPECT_EQ(answer, IHostUi::Answer::No);
    EXPECT_EQ(caption, QStringLiteral("ORMA Radiography"));
    EXPECT_EQ(text, QStringLiteral("Save changes to\nORMA1?"));
    EXPECT_TRUE(err.contains("message: Save changes to ORMA1?\n")) << err.constData();
}

// A journal that stops during a scan is said in a box the user sees, once the request
// that met it is answered: a box there would hold the instrument up until it is closed.
TEST(HostUi, ANoticeIsABoxShownOnceTheWorkAtHandIsDone)
{
    const QString notice = QStringLiteral("Scan journal off: cannot write /s/j: No space left on "
                                          "device.\nThe points received until then stay in /s/j.");
    QString text;
    int boxes = 0;
    StderrCapture capture;
    {
        CQtHostUi host;
        host.ShowNotice(notice);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        QTimer::singleShot(0, [&]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                ++boxes;
                box->button(QMessageBox::Ok)->click();
            }
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return boxes > 0; }, 5000));
        // A notice still waiting when its host goes is dropped with it.
        host.ShowNotice(notice);
    }
    QTest::qWait(50);
    const QByteArray err = capture.Take();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(text, notice);
    EXPECT_TRUE(err.contains("message: Scan journal off: cannot write /s/j: No space left on "
                             "device. The points received"))
        << err.constData();
}

TEST(HostUi, ErrorBoxHasItsOwnCaptionAndAnErrorIcon)
{
    CQtHostUi host;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    StderrCapture capture;
    host.ShowError(QStringLiteral("Brightness Error"), QStringLiteral("Valid value is 0 to 255"));
    EXPECT_TRUE(capture.Take().contains("message: Valid value is 0 to 255\n"));
    EXPECT_EQ(caption, QStringLiteral("Brightness Error"));
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST_F(SplashTest, AMessageBoxEndsTheSplashSoItIsNotHidden)
{
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    CQtHostUi host;
    host.SetMainFrame(frame.get());
    bool splashWhileBoxUp = true;
    QTimer::singleShot(0, [&]() {
        splashWhileBoxUp = CSplashWnd::Current() != nullptr;
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    StderrCapture capture;
    host.ShowMessage(QStringLiteral("Requested file in not a ORMA Radiography document"));
    EXPECT_FALSE(splashWhileBoxUp);
}

TEST(HostUi, WaitCursorIsTheOverrideCursor)
{
    CQtHostUi host;
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    {
        CWaitCursor wait(host);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
