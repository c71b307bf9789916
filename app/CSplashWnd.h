#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

// The splash window: a borderless 520 x 317 picture with the version text, shown when
// the main window has been created, for 2.5 seconds or until the user presses a key or
// a mouse button anywhere in the program; that press is used up by the splash.
class CSplashWnd : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTimeoutMs = 2500;
    static constexpr int kVersionX = 404;
    static constexpr int kVersionY = 218;

    // Called once by start-up before the main window exists ("/NOS" switches it off).
    static void EnableSplashScreen(bool enable);
    // Called by the main window at the end of its creation, with itself as parent. Does
    // nothing when the splash is not enabled or already exists (it shows once per run).
    static void ShowSplashScreen(QWidget* parent);
    // Ends the splash and repaints the main window.
    static void HideSplash();
    // The splash while it exists, else nullptr.
    static CSplashWnd* Current();

    // The picture and the version text drawn on it.
    static QPixmap Picture();
    static QString VersionText();

    ~CSplashWnd() override;
    int TimerInterval() const { return m_timer.interval(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CSplashWnd(const QPixmap& picture, QWidget* parent);

    QPixmap m_picture;
    QTimer m_timer;
    QWidget* m_pOwner;
};
