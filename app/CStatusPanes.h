#pragma once

#include <QObject>
#include <QString>

class QKeyEvent;
class QLabel;
class QStatusBar;

// The panes of the main window's status bar: the prompt pane ("For Help, press F1"), the
// instrument's last remote command, pane 101 with the status text (the pointer readout),
// each exactly as wide as its text, and the lock-key panes CAP, NUM and SCRL, lit while
// their key is on.
class CStatusPanes : public QObject
{
    Q_OBJECT

public:
    static constexpr char kInitialStatusText[] = "X: ?  Y: ?  Int: ?  Time: ?";
    static constexpr int kMaxStatusText = 255;
    // The id of the remote command's pane for Pane().
    static constexpr int kRemoteCommandPane = 102;

    // Adds the panes to bar, and watches the program's key events for the lock keys.
    explicit CStatusPanes(QStatusBar& bar);
    ~CStatusPanes() override;

    // The status text of pane 101: at most 255 characters, shown at once.
    void SetStatusText(const QString& text);
    QString StatusText() const { return m_strStatusText; }
    // A pattern closed: the values it showed go, the pane shows the initial text.
    void ForgetPatternValues() { SetStatusText(QString::fromLatin1(kInitialStatusText)); }
    // The last remote command, shown at once in its own pane (empty until the first).
    void SetRemoteCommandText(const QString& text);
    // The label of a pane: ID_INDICATOR_STAT (101), kRemoteCommandPane, ID_INDICATOR_CAPS,
    // _NUM, _SCRL, or 0 for the prompt pane.
    QLabel* Pane(int id) const;
    // Brings every pane up to date now.
    void Update();

    // Whether key events carry the X11 modifier bits, in which Caps Lock and Num Lock are
    // read. True on the xcb platform only: elsewhere the native bits mean something else.
    void SetReadsX11LockBits(bool on) { m_bReadsX11LockBits = on; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnKey(const QKeyEvent& key, bool press);
    void ScheduleUpdate();

    QString m_strStatusText;
    QLabel* m_pPromptPane = nullptr;
    QLabel* m_pRemotePane = nullptr;
    QLabel* m_pStatusPane = nullptr;
    QLabel* m_pCapsPane = nullptr;
    QLabel* m_pNumPane = nullptr;
    QLabel* m_pScrollPane = nullptr;
    bool m_bCapsLock = false;
    bool m_bNumLock = false;
    bool m_bScrollLock = false;
    bool m_bReadsX11LockBits = false;
    bool m_bUpdateScheduled = false;
};
