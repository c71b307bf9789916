#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>

class QWidget;
struct WindowPlacement;

// The main window's placement as the settings keep it. Left and top are the window's
// position with its frame, width and height its client size: the pair that Qt restores
// without drift. The normal placement is remembered as the window moves and is resized,
// so a maximised or minimised window still gives the place it comes back to.
class CWindowPlacement : public QObject
{
    Q_OBJECT

public:
    // Watches window's moves and resizes; a child of window.
    explicit CWindowPlacement(QWidget& window);

    // Nothing when left is below 0 (the system's default placement). A place off every
    // screen (a screen gone since) comes onto the nearest, title bar reachable.
    void Apply(const WindowPlacement& placement);
    WindowPlacement Capture() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RememberNormalPlacement();

    QWidget& m_window;
    QPoint m_normalPos;
    QSize m_normalSize;
    bool m_bHaveNormal = false;
};
