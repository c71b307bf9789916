#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class CLiveScan;
class IPatternView;

// Flashes the collect marker's cell between the ActiveTarget and the Selection colour
// every 250 ms, on the GUI thread, while the marker is on and its view still shows the
// live scan. Once stopped, by the marker going off or by its release, it never draws
// again.
class CMarkerBlinker : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 250;

    // Takes the live scan's view and the marker's cell as they are now.
    explicit CMarkerBlinker(const CLiveScan& scan);
    ~CMarkerBlinker() override;

    bool IsRunning() const { return m_timer.isActive(); }

private:
    void Step();
    void Stop();
    bool MayDraw() const;

    const CLiveScan& m_scan;
    IPatternView* m_view;
    // Watches the view's widget, where there is one, so a destroyed view is never drawn.
    QPointer<QObject> m_viewObject;
    bool m_viewWatched;
    int m_col;
    int m_row;
    bool m_activeColour = true;
    QTimer m_timer;
};
