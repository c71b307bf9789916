// Draws the bundled pictures of resources/: the toolbar fallbacks (16 x 15 and 32 x 30),
// the program and document icons and the 520 x 317 splash picture in 16 colours.
// Built only on request, after a change to the pictures:
//   cmake --build build --target make-pictures
//   QT_QPA_PLATFORM=offscreen build/app/make-pictures resources
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cmath>
#include <functional>

namespace {

QString g_dir;

// The 16-colour band table the program starts with.
const QColor kBands[16] = {{0, 0, 0},     {0, 0, 127},     {0, 0, 255},     {0, 255, 255},
                           {0, 255, 0},   {0, 127, 0},     {127, 127, 0},   {255, 255, 0},
                           {127, 0, 0},   {255, 0, 0},     {255, 0, 255},   {127, 0, 127},
                           {0, 127, 127}, {127, 127, 127}, {255, 127, 127}, {255, 255, 255}};

void SaveIcon(const QString& name, const std::function<void(QPainter&)>& draw)
{
    for (int scale : {1, 2}) {
        QImage image(16 * scale, 15 * scale, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(scale, scale);
        draw(p);
        p.end();
        image.save(QStringLiteral("%1/icons/%2%3.png")
                       .arg(g_dir, name, scale == 2 ? QStringLiteral("@2x") : QString()));
    }
}

void Magnifier(QPainter& p)
{
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    p.setBrush(QColor(220, 240, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(QColor(90, 60, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 13.5));
}

void Arrow(QPainter& p, double x, double y, double s)
{
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x, y + 10 * s);
    path.lineTo(x + 2.6 * s, y + 7.6 * s);
    path.lineTo(x + 4.4 * s, y + 11.4 * s);
    path.lineTo(x + 6 * s, y + 10.6 * s);
    path.lineTo(x + 4.3 * s, y + 7 * s);
    path.lineTo(x + 7.4 * s, y + 7 * s);
    path.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

void Cells(QPainter& p)
{
    // A small false-colour pattern.
    const int shade[4][4] = {{1, 2, 3, 2}, {2, 4, 7, 3}, {3, 7, 9, 4}, {2, 3, 4, 2}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            p.fillRect(QRectF(1 + c * 3.5, 0.5 + r * 3.5, 3.5, 3.5), kBands[shade[r][c]]);
}

void MakeIcons()
{
    SaveIcon(QStringLiteral("open"), [](QPainter& p) {
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.setBrush(QColor(240, 200, 60));
        p.drawRect(QRectF(0.5, 3.5, 12, 10));
        p.drawRect(QRectF(0.5, 2.5, 5, 2));
        QPainterPath lid;
        lid.moveTo(3, 6.5);
        lid.lineTo(15.5, 6.5);
        lid.lineTo(12.5, 13.5);
        lid.lineTo(0.5, 13.5);
        lid.closeSubpath();
        p.setBrush(QColor(255, 230, 120));
        p.drawPath(lid);
    });
    SaveIcon(QStringLiteral("save"), [](QPainter& p) {
        p.setPen(QPen(QColor(0, 0, 80), 1));
        p.setBrush(QColor(40, 60, 160));
        p.drawRect(QRectF(1.5, 0.5, 13, 13.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 0.5, 8, 5.5));
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(4.5, 9, 7, 5));
        p.fillRect(QRectF(9, 1.5, 2, 3.5), QColor(40, 60, 160));
    });
    SaveIcon(QStringLiteral("zoomin"), [](QPainter& p) {
        Magnifier(p);
        p.setPen(QPen(QColor(0, 0, 160), 1.6));
        p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
        p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
    });
    SaveIcon(QStringLiteral("zoomout"), [](QPainter& p) {
        Magnifier(p);
        p.setPen(QPen(QColor(0, 0, 160), 1.6));
        p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
    });
    SaveIcon(QStringLiteral("zoomreset"), [](QPainter& p) {
        Magnifier(p);
        p.setPen(QPen(QColor(0, 0, 160), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.8, 3.8, 4.4, 4.4));
    });
    SaveIcon(QStringLiteral("print"), [](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 0.5, 7, 5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(0.5, 5.5, 15, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        p.fillRect(QRectF(12.5, 7, 1.5, 1.5), QColor(0, 170, 0));
    });
    SaveIcon(QStringLiteral("about"), [](QPainter& p) {
        p.setPen(QPen(QColor(0, 0, 110), 1));
        p.setBrush(QColor(40, 90, 210));
        p.drawEllipse(QRectF(1, 0.5, 14, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7, 2.6, 2, 2));
        p.drawRect(QRectF(7, 5.8, 2, 6.6));
    });
    SaveIcon(QStringLiteral("contexthelp"), [](QPainter& p) {
        Arrow(p, 0.5, 0.5, 1.0);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0, 0, 170));
        p.drawText(QRectF(7, 1, 9, 14), Qt::AlignCenter, QStringLiteral("?"));
    });
    SaveIcon(QStringLiteral("overlay"), [](QPainter& p) {
        Cells(p);
        p.setPen(Qt::NoPen);
        for (QPointF c : {QPointF(4.5, 4), QPointF(8, 7.5), QPointF(11.5, 11)})
            p.fillRect(QRectF(c.x(), c.y(), 3.5, 3.5), QColor(0, 255, 255));
        p.setPen(QPen(Qt::black, 0.6));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1, 0.5, 14, 14));
    });
    SaveIcon(QStringLiteral("lockrange"), [](QPainter& p) {
        // A colour scale with a padlock on it.
        for (int i = 0; i < 14; ++i)
            p.fillRect(QRectF(1, 14 - i, 4, 1), kBands[i + 1]);
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(7.5, 1.5, 6, 8), 0, 180 * 16);
        p.drawLine(QPointF(7.5, 5.5), QPointF(7.5, 7));
        p.drawLine(QPointF(13.5, 5.5), QPointF(13.5, 7));
        p.setPen(QPen(Qt::black, 0.6));
        p.setBrush(QColor(230, 180, 40));
        p.drawRect(QRectF(6, 7, 9, 7));
    });
    SaveIcon(QStringLiteral("arrow"), [](QPainter& p) { Arrow(p, 4, 1, 1.25); });
    SaveIcon(QStringLiteral("line"), [](QPainter& p) {
        p.setPen(QPen(QColor(0, 0, 0), 1.4));
        p.drawLine(QPointF(2, 13), QPointF(14, 2));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 160, 160));
        for (int i = 0; i <= 3; ++i)
            p.drawRect(QRectF(1 + i * 4, 11.5 - i * 3.7, 3, 3));
    });
    SaveIcon(QStringLiteral("curve"), [](QPainter& p) {
        QPainterPath path;
        path.moveTo(1.5, 11);
        path.cubicTo(4, 1, 8, 14, 14.5, 3);
        p.setPen(QPen(QColor(0, 0, 0), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    });
    SaveIcon(QStringLiteral("rectangle"), [](QPainter& p) {
        p.setPen(QPen(Qt::black, 1.2, Qt::DashLine));
        p.setBrush(QColor(0, 255, 255, 90));
        p.drawRect(QRectF(1.5, 2.5, 13, 10));
    });
    SaveIcon(QStringLiteral("eraser"), [](QPainter& p) {
        QPainterPath body;
        body.moveTo(1, 10);
        body.lineTo(8, 2);
        body.lineTo(15, 7);
        body.lineTo(9, 14);
        body.lineTo(4, 14);
        body.closeSubpath();
        p.setPen(QPen(QColor(80, 40, 40), 1));
        p.setBrush(QColor(250, 170, 180));
        p.drawPath(body);
        p.setBrush(Qt::white);
        QPainterPath tip;
        tip.moveTo(1, 10);
        tip.lineTo(5, 5.5);
        tip.lineTo(11.5, 10.5);
        tip.lineTo(9, 14);
        tip.lineTo(4, 14);
        tip.closeSubpath();
        p.drawPath(tip);
    });
    SaveIcon(QStringLiteral("plot3d"), [](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 0.8));
        for (int i = 0; i < 5; ++i) {
            QPainterPath row;
            for (int j = 0; j <= 8; ++j) {
                const double x = 1 + j * 1.5 + i * 0.8;
                const double h = 5 * std::exp(-((j - 4) * (j - 4) + (i - 2) * (i - 2) * 2) / 6.0);
                const double y = 6 + i * 1.8 - h;
                if (j == 0)
                    row.moveTo(x, y);
                else
                    row.lineTo(x, y);
            }
            p.setPen(QPen(kBands[2 + i * 2], 1.1));
            p.drawPath(row);
        }
        p.setPen(QPen(Qt::black, 0.8));
        p.drawLine(QPointF(0.5, 14.5), QPointF(15.5, 14.5));
        p.drawLine(QPointF(0.5, 14.5), QPointF(0.5, 1));
    });

    // The document's window icon and the program's icon.
    {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        Cells(p);
        p.end();
        image.save(g_dir + QStringLiteral("/icons/document.png"));
    }
    for (int size : {48, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size / 48.0, size / 48.0);
        p.setPen(QPen(QColor(10, 20, 60), 1.5));
        p.setBrush(QColor(0, 0, 70));
        p.drawRoundedRect(QRectF(2, 2, 44, 44), 8, 8);
        // A scanned spot: a radial pattern in the band colours.
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) {
                const double d = std::hypot(c - 3.5, r - 3.5);
                const int band = std::clamp(static_cast<int>(11 - d * 2.6), 1, 10);
                p.fillRect(QRectF(8 + c * 4, 8 + r * 4, 4, 4), kBands[band]);
            }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 255, 255));
        for (QPointF t : {QPointF(12, 36), QPointF(20, 28), QPointF(28, 20), QPointF(36, 12)})
            p.drawRect(QRectF(t.x(), t.y(), 4, 4));
        p.end();
        image.save(size == 48 ? g_dir + QStringLiteral("/icons/vespira.png")
                              : g_dir + QStringLiteral("/icons/vespira-%1.png").arg(size));
    }
}

void MakeSplash()
{
    const QColor navy(0, 0, 128), silver(192, 192, 192), white(255, 255, 255), black(0, 0, 0),
        gray(128, 128, 128), aqua(0, 255, 255), yellow(255, 255, 0), teal(0, 128, 128);
    QImage image(520, 317, QImage::Format_RGB32);
    image.fill(navy);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);

    // The pattern: a synthetic radiography of a round sample with a crack.
    const int cells = 24, cell = 11, left = 20, top = 22;
    p.fillRect(left - 4, top - 4, cells * cell + 8, cells * cell + 8, black);
    for (int r = 0; r < cells; ++r)
        for (int c = 0; c < cells; ++c) {
            const double x = (c - 11.5) / 11.5, y = (r - 11.5) / 11.5;
            double v = std::exp(-(x * x + y * y) * 1.6) * 14.0;
            v += 2.5 * std::sin(x * 5.0 + y * 3.0);
            if (std::abs(x - 0.6 * y - 0.1) < 0.06)
                v *= 0.35;
            const int band = std::clamp(static_cast<int>(v), 0, 15);
            p.fillRect(left + c * cell, top + r * cell, cell, cell, kBands[band]);
        }
    // Targets on a line.
    for (int i = 0; i < 7; ++i) {
        const int c = 5 + i * 2, r = 17 - i * 2;
        p.fillRect(left + c * cell + 2, top + r * cell + 2, cell - 4, cell - 4, aqua);
    }

    // Hard-edged text, as a 16-colour picture needs.
    const auto splashFont = [](const char* family, int pixels, bool bold) {
        QFont font(QString::fromLatin1(family));
        font.setPixelSize(pixels);
        font.setBold(bold);
        font.setStyleStrategy(QFont::NoAntialias);
        return font;
    };

    // Title.
    p.setFont(splashFont("DejaVu Serif", 46, true));
    p.setPen(white);
    p.drawText(QRect(300, 24, 210, 60), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Vespira"));
    p.setFont(splashFont("DejaVu Sans", 17, true));
    p.setPen(yellow);
    p.drawText(QRect(302, 86, 210, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ORMA Radiography"));
    const QFont small = splashFont("DejaVu Sans", 13, false);
    p.setFont(small);
    p.setPen(silver);
    p.drawText(QRect(302, 112, 210, 40), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Radiography patterns and target selection for ORMA"));

    // The light panel that carries the version text at (404, 218).
    p.fillRect(300, 200, 206, 96, silver);
    p.setPen(white);
    p.drawLine(300, 200, 505, 200);
    p.drawLine(300, 200, 300, 295);
    p.setPen(gray);
    p.drawLine(300, 295, 505, 295);
    p.drawLine(505, 200, 505, 295);
    p.setFont(splashFont("DejaVu Sans", 20, true));
    p.setPen(black);
    p.drawText(QRect(312, 218, 90, 26), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Version"));
    p.setFont(small);
    p.setPen(teal);
    p.drawText(QRect(312, 252, 190, 18), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Copyright 1999-2003"));
    p.setPen(black);
    p.drawText(QRect(312, 270, 190, 18), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Merovant"));
    p.end();

    // Exactly 16 colours, the standard VGA set.
    QList<QRgb> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, palette,
                                                 Qt::ThresholdDither | Qt::AvoidDither);
    indexed.save(g_dir + QStringLiteral("/pictures/splash.png"));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources");
    MakeIcons();
    MakeSplash();
    return 0;
}
