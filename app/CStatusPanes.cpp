#include "app/CStatusPanes.h"

#include "app/CommandIds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace {

// X11 modifier bits of the lock keys in a key event's native modifiers.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11NumLockMask = 0x10;

} // namespace

CStatusPanes::CStatusPanes(QStatusBar& bar)
    : QObject(&bar), m_strStatusText(QString::fromLatin1(kInitialStatusText)),
      m_bReadsX11LockBits(QGuiApplication::platformName() == QLatin1String("xcb"))
{
    m_pPromptPane = new QLabel(QStringLiteral("For Help, press F1"), &bar);
    m_pPromptPane->setObjectName(QStringLiteral("pane0"));
    m_pPromptPane->setMinimumWidth(0);
    bar.addWidget(m_pPromptPane, 1);

    auto makePane = [&bar](const QString& name) {
        auto* label = new QLabel(&bar);
        label->setObjectName(name);
        label->setContentsMargins(0, 0, 0, 0);
        label->setMargin(0);
        label->setIndent(0);
        bar.addPermanentWidget(label);
        return label;
    };
    m_pRemotePane = makePane(QStringLiteral("paneRemote"));
    m_pRemotePane->hide(); // until the first remote command
    m_pStatusPane = makePane(QStringLiteral("pane101"));
    m_pCapsPane = makePane(QStringLiteral("paneCAP"));
    m_pNumPane = makePane(QStringLiteral("paneNUM"));
    m_pScrollPane = makePane(QStringLiteral("paneSCRL"));
    for (auto [pane, text] : {std::pair{m_pCapsPane, "CAP"}, std::pair{m_pNumPane, "NUM"},
                              std::pair{m_pScrollPane, "SCRL"}}) {
        pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(QLatin1String(text)) + 6);
        pane->setAlignment(Qt::AlignCenter);
    }
    Update();
    qApp->installEventFilter(this);
}

CStatusPanes::~CStatusPanes()
{
    qApp->removeEventFilter(this);
}

QLabel* CStatusPanes::Pane(int id) const
{
    switch (id) {
    case 0:
        return m_pPromptPane;
    case ID_INDICATOR_STAT:
        return m_pStatusPane;
    case kRemoteCommandPane:
        return m_pRemotePane;
    case ID_INDICATOR_CAPS:
        return m_pCapsPane;
    case ID_INDICATOR_NUM:
        return m_pNumPane;
    case ID_INDICATOR_SCRL:
        return m_pScrollPane;
    default:
        return nullptr;
    }
}

void CStatusPanes::SetStatusText(const QString& text)
{
    m_strStatusText = text.left(kMaxStatusText);
    Update();
}

void CStatusPanes::SetRemoteCommandText(const QString& text)
{
    const QString shown = text.left(kMaxStatusText);
    // A scan sends the same text at every point: measured only when it changes.
    if (m_pRemotePane->text() == shown)
        return;
    m_pRemotePane->setText(shown);
    m_pRemotePane->setFixedWidth(m_pRemotePane->fontMetrics().horizontalAdvance(shown));
    m_pRemotePane->setVisible(!shown.isEmpty());
}

void CStatusPanes::Update()
{
    // Measured only when the text changes: a scan sets the same text at every point.
    if (m_pStatusPane->text() != m_strStatusText || m_pStatusPane->minimumWidth() == 0) {
        m_pStatusPane->setText(m_strStatusText);
        m_pStatusPane->setFixedWidth(
            m_pStatusPane->fontMetrics().horizontalAdvance(m_strStatusText));
    }
    m_pStatusPane->setEnabled(true);
    m_pCapsPane->setText(m_bCapsLock ? QStringLiteral("CAP") : QString());
    m_pNumPane->setText(m_bNumLock ? QStringLiteral("NUM") : QString());
    m_pScrollPane->setText(m_bScrollLock ? QStringLiteral("SCRL") : QString());
}

void CStatusPanes::ScheduleUpdate()
{
    if (m_bUpdateScheduled)
        return;
    m_bUpdateScheduled = true;
    QTimer::singleShot(0, this, [this]() {
        m_bUpdateScheduled = false;
        Update();
    });
}

bool CStatusPanes::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        OnKey(*static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress);
    return QObject::eventFilter(watched, event);
}

void CStatusPanes::OnKey(const QKeyEvent& key, bool press)
{
    const quint32 native = key.nativeModifiers();
    bool caps = (native & kX11LockMask) != 0;
    bool num = (native & kX11NumLockMask) != 0;
    // The state of a lock key's own press is the one before it toggles.
    if (press && key.key() == Qt::Key_CapsLock)
        caps = !caps;
    if (press && key.key() == Qt::Key_NumLock)
        num = !num;
    if (press && key.key() == Qt::Key_ScrollLock && !key.isAutoRepeat()) {
        m_bScrollLock = !m_bScrollLock;
        ScheduleUpdate();
    }
    if (m_bReadsX11LockBits && (caps != m_bCapsLock || num != m_bNumLock)) {
        m_bCapsLock = caps;
        m_bNumLock = num;
        ScheduleUpdate();
    }
}
