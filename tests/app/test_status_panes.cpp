#include "app/CStatusPanes.h"
#include "app/CommandIds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <initializer_list>

// The lock-key panes read the X11 modifier bits of the program's key events: Lock (0x02)
// lights CAP, Mod2 (0x10) lights NUM, no other bit lights anything.
class StatusPanesTest : public ::testing::Test
{
protected:
    void SetUp() override { panes.SetReadsX11LockBits(true); }

    // A key event as the window system delivers it, through the program's event filters.
    void Key(QEvent::Type type, int key, quint32 nativeModifiers, bool autoRepeat = false)
    {
        QKeyEvent event(type, key, Qt::NoModifier, 0, 0, nativeModifiers, QString(), autoRepeat);
        QApplication::sendEvent(&target, &event);
        QApplication::processEvents();
    }
    void Press(int key, quint32 nativeModifiers, bool autoRepeat = false)
    {
        Key(QEvent::KeyPress, key, nativeModifiers, autoRepeat);
    }
    QString Lit(int pane) const { return panes.Pane(pane)->text(); }

    QStatusBar bar;
    CStatusPanes panes{bar};
    QWidget target;
};

TEST_F(StatusPanesTest, LockBitLightsCapAndMod2LightsNum)
{
    Press(Qt::Key_A, 0x02);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QStringLiteral("CAP"));
    EXPECT_EQ(Lit(ID_INDICATOR_NUM), QString());
    Press(Qt::Key_A, 0x10);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QString());
    EXPECT_EQ(Lit(ID_INDICATOR_NUM), QStringLiteral("NUM"));
    Key(QEvent::KeyRelease, Qt::Key_A, 0x02 | 0x10);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QStringLiteral("CAP"));
    EXPECT_EQ(Lit(ID_INDICATOR_NUM), QStringLiteral("NUM"));
    Press(Qt::Key_A, 0);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QString());
    EXPECT_EQ(Lit(ID_INDICATOR_NUM), QString());
}

TEST_F(StatusPanesTest, NoOtherModifierBitLightsAPane)
{
    // Shift, Control, Mod1 (Alt), Mod3, Mod4 (Super), Mod5 (AltGr), and all of them.
    for (quint32 bits : {0x01u, 0x04u, 0x08u, 0x20u, 0x40u, 0x80u, 0xedu}) {
        Press(Qt::Key_A, bits);
        EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QString()) << bits;
        EXPECT_EQ(Lit(ID_INDICATOR_NUM), QString()) << bits;
        EXPECT_EQ(Lit(ID_INDICATOR_SCRL), QString()) << bits;
    }
    // Beside them the lock bits still count.
    Press(Qt::Key_A, 0xed | 0x02);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QStringLiteral("CAP"));
    EXPECT_EQ(Lit(ID_INDICATOR_NUM), QString());
}

TEST_F(StatusPanesTest, ALockKeysOwnPressShowsTheStateItTurnsTo)
{
    // The press carries the state before the key toggles it.
    Press(Qt::Key_CapsLock, 0);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QStringLiteral("CAP"));
    Key(QEvent::KeyRelease, Qt::Key_CapsLock, 0x02);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QStringLiteral("CAP"));
    Press(Qt::Key_CapsLock, 0x02);
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QString());

    Press(Qt::Key_NumLock, 0x02);
    EXPECT_EQ(Lit(ID_INDICATOR_NUM), QStringLiteral("NUM"));
    EXPECT_EQ(Lit(ID_INDICATOR_CAPS), QStringLiteral("CAP"));
}

TEST_F(StatusPanesTest, ScrollLockTogglesOnItsPressOnly)
{
    Press(Qt::Key_ScrollLock, 0);
    EXPECT_EQ(Lit(ID_INDICATOR_SCRL), QStringLiteral("SCRL"));
    Press(Qt::Key_ScrollLock, 0, true); // held down: no toggle per repeat
    Key(QEvent::KeyRelease, Qt::Key_ScrollLock, 0);
    EXPECT_EQ(Lit(ID_INDICATOR_SCRL), QStringLiteral("SCRL"));
    Press(Qt::Key_ScrollLock, 0);
    EXPECT_EQ(Lit(ID_INDICATOR_SCRL), QString());
}

TEST(StatusPanes, OffXcbTheNativeBitsAreNotReadAsLockKeys)
{
    ASSERT_NE(QGuiApplication::platformName(), QLatin1String("xcb"));
    QStatusBar bar;
    CStatusPanes panes(bar);
    QWidget target;
    QKeyEvent event(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 0, 0, 0x02 | 0x10);
    QApplication::sendEvent(&target, &event);
    QApplication::processEvents();
    EXPECT_EQ(panes.Pane(ID_INDICATOR_CAPS)->text(), QString());
    EXPECT_EQ(panes.Pane(ID_INDICATOR_NUM)->text(), QString());
}
