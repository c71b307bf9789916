#include "app/CSplashWnd.h"

#include "app/CommandLine.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPointer>
#include <QScreen>

namespace {

// Off until start-up enables it, so windows made by tests show no splash.
bool g_bSplashEnabled = false;
QPointer<CSplashWnd> g_pSplash;

} // namespace

void CSplashWnd::EnableSplashScreen(bool enable)
{
    g_bSplashEnabled = enable;
}

CSplashWnd* CSplashWnd::Current()
{
    return g_pSplash.data();
}

QPixmap CSplashWnd::Picture()
{
    return QPixmap(QStringLiteral(":/pictures/splash.png"));
}

QString CSplashWnd::VersionText()
{
    return QString::fromLatin1(kSplashVersion);
}

void CSplashWnd::ShowSplashScreen(QWidget* parent)
{
    if (!g_bSplashEnabled || g_pSplash)
        return;
    const QPixmap picture = Picture();
    if (picture.isNull())
        return;
    g_pSplash = new CSplashWnd(picture, parent);
    g_pSplash->show();
    g_pSplash->raise();
    g_pSplash->repaint();
}

void CSplashWnd::HideSplash()
{
    CSplashWnd* splash = g_pSplash.data();
    if (splash == nullptr)
        return;
    QWidget* owner = splash->m_pOwner;
    g_pSplash = nullptr;
    splash->hide();
    splash->deleteLater();
    if (owner != nullptr && owner->isVisible())
        owner->update();
}

CSplashWnd::CSplashWnd(const QPixmap& picture, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_picture(picture),
      m_pOwner(parent)
{
    setObjectName(QStringLiteral("CSplashWnd"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setCursor(Qt::ArrowCursor);
    const QSize size = m_picture.deviceIndependentSize().toSize();
    setFixedSize(size);

    // Centred over the owner when that is visible and not minimised, else in the
    // screen's work area (the usual case: the main window is not shown yet).
    QRect area;
    if (parent != nullptr && parent->isVisible() && !parent->isMinimized())
        area = parent->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));

    m_timer.setSingleShot(true);
    m_timer.setInterval(kTimeoutMs);
    connect(&m_timer, &QTimer::timeout, this, []() { CSplashWnd::HideSplash(); });
    m_timer.start();
    qApp->installEventFilter(this);
}

CSplashWnd::~CSplashWnd()
{
    qApp->removeEventFilter(this);
    if (g_pSplash == this)
        g_pSplash = nullptr;
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    painter.setPen(Qt::black);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(20);
    font.setWeight(QFont::Bold);
    painter.setFont(font);
    // The text's top-left corner at the given point, not its baseline.
    painter.drawText(QRect(kVersionX, kVersionY, width() - kVersionX, 40),
                     Qt::AlignLeft | Qt::AlignTop, VersionText());
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (g_pSplash != this)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Keep the key from any shortcut: the splash takes the press that follows.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        HideSplash();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}
