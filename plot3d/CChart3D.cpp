#include "plot3d/CChart3D.h"

#include "base/DecimalPlaces.h"
#include "display/ColourTransform.h"
#include "document/IHostUi.h"
#include "plot3d/AxisTicks.h"
#include "plot3d/CAxisTickFormatter.h"
#include "plot3d/SurfaceThinning.h"

#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DInputHandler>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include <QActionGroup>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSurfaceFormat>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The view the chart opens in before the user has kept one.
constexpr float kInitialTurn = -40.0f;
constexpr float kInitialTilt = 25.0f;
constexpr float kInitialZoom = 70.0f;
// The camera looks below the box's centre: the labels and titles along the bottom edges
// need more room than the top.
constexpr float kTargetHeight = -0.7f;
constexpr int kLabelPointSize = 40;
// A grid larger than this is refused rather than allocated (a pattern never comes near).
constexpr long long kMaxPoints = 64LL * 1024 * 1024;
// Round steps a position axis and the intensity axis are divided into at most.
constexpr int kMaxAxisSegments = 5;
constexpr int kMaxIntensitySegments = 8;
// Room between the surface's box and the edges the labels stand on, so the labels of two
// axes meeting at a corner stay apart.
constexpr float kLabelMargin = 0.35f;
// A right click that moves less than this opens the menu; more is a drag.
constexpr int kClickSlop = 4;
// Longest side of the picture rendered for printing.
constexpr int kMaxPrintSide = 3000;

QMouseEvent AsButton(const QMouseEvent& event, Qt::MouseButton button)
{
    Qt::MouseButtons buttons = event.buttons();
    if (buttons.testFlag(Qt::LeftButton))
        buttons = (buttons & ~Qt::MouseButtons(Qt::LeftButton)) | button;
    return QMouseEvent(event.type(), event.position(), event.scenePosition(),
                       event.globalPosition(), button, buttons, event.modifiers(),
                       event.pointingDevice());
}

// Lists the draw positions along one axis; a single point becomes a strip one step wide,
// since a surface needs two points a side.
std::vector<float> AxisPositions(const std::vector<double>& indices, double first, double step)
{
    std::vector<float> positions;
    if (indices.size() == 1) {
        positions = {static_cast<float>(first - step / 2), static_cast<float>(first + step / 2)};
        return positions;
    }
    positions.reserve(indices.size());
    for (double index : indices)
        positions.push_back(static_cast<float>(first + index * step));
    return positions;
}

double FiniteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

// The finest difference the labels of a position axis show: its increment's decimals.
double PositionResolution(double step)
{
    return std::pow(10.0, -DecimalPlaces(static_cast<float>(std::abs(step))));
}

} // namespace

// The surface window: counts its frames for the dialog's first frame and the tests.
class CSurfaceWindow : public Q3DSurface
{
public:
    CSurfaceWindow(CChart3D& chart, const QSurfaceFormat& format)
        : Q3DSurface(&format), m_chart(chart)
    {}

protected:
    bool event(QEvent* event) override
    {
        // A click, drag or wheel in the chart gives this window the keyboard focus; its
        // keys belong to the dialog all the same (Escape, Enter, Tab).
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            m_chart.ForwardKey(static_cast<QKeyEvent&>(*event));
            return true;
        }
        const bool handled = Q3DSurface::event(event);
        if (event->type() == QEvent::UpdateRequest && isExposed())
            m_chart.OnFrameDrawn();
        return handled;
    }

private:
    CChart3D& m_chart;
};

namespace {

// The library turns the view with the right button; here the left one turns it, and a
// right click opens the levels menu. The middle button's reset is not offered: it would
// lose the view the user keeps with OK.
class CChartInput : public Q3DInputHandler
{
public:
    CChartInput(std::function<void(const QPoint&)> menu, QObject* parent)
        : Q3DInputHandler(parent), m_menu(std::move(menu))
    {}

    void mousePressEvent(QMouseEvent* event, const QPoint& mousePos) override
    {
        if (event->button() == Qt::LeftButton) {
            QMouseEvent turn = AsButton(*event, Qt::RightButton);
            Q3DInputHandler::mousePressEvent(&turn, mousePos);
        } else if (event->button() == Qt::RightButton) {
            m_rightPress = mousePos;
        }
    }
    void mouseReleaseEvent(QMouseEvent* event, const QPoint& mousePos) override
    {
        if (event->button() == Qt::LeftButton) {
            QMouseEvent turn = AsButton(*event, Qt::RightButton);
            Q3DInputHandler::mouseReleaseEvent(&turn, mousePos);
        } else if (event->button() == Qt::RightButton &&
                   (mousePos - m_rightPress).manhattanLength() < kClickSlop) {
            m_menu(event->globalPosition().toPoint());
        }
    }

private:
    std::function<void(const QPoint&)> m_menu;
    QPoint m_rightPress;
};

} // namespace

bool CChart3D::OpenGLAvailable(bool* software)
{
    // These platforms draw into memory: the chart's window would have no context.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    if (software != nullptr) {
        const auto* renderer =
            reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
        const QByteArray name = QByteArray(renderer ? renderer : "").toLower();
        *software = name.contains("llvmpipe") || name.contains("softpipe") ||
                    name.contains("swrast") || name.contains("software");
    }
    context.doneCurrent();
    return true;
}

CChart3D::CChart3D(IHostUi& ui, int samples, QWidget* parent) : QWidget(parent), m_ui(ui)
{
    setObjectName(QStringLiteral("chart1045"));
    for (int i = 0; i < kFillStyleCount; ++i) {
        const int grey = i * 255 / 100;
        m_fillColours[static_cast<std::size_t>(i)] = Rgb(grey, grey, grey);
    }

    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    format.setSamples(samples);
    m_pSurface = new CSurfaceWindow(*this, format);
    m_pSurface->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    m_pSurface->setMargin(kLabelMargin);
    m_pSurface->setSelectionMode(QAbstract3DGraph::SelectionNone);
    Q3DTheme* theme = m_pSurface->activeTheme();
    theme->setType(Q3DTheme::ThemeQt);
    // The theme's labels are drawn small for a window of this size.
    QFont font = theme->font();
    font.setPointSize(kLabelPointSize);
    theme->setFont(font);
    for (std::size_t i = 0; i < m_formatters.size(); ++i) {
        auto* axis = new QValue3DAxis;
        m_formatters[i] = new CAxisTickFormatter;
        axis->setFormatter(m_formatters[i]);
        if (i == 0)
            m_pSurface->setAxisX(axis);
        else if (i == 1)
            m_pSurface->setAxisY(axis);
        else
            m_pSurface->setAxisZ(axis);
    }
    m_pSurface->axisX()->setTitleVisible(true);
    m_pSurface->axisZ()->setTitleVisible(true);

    auto* input = new CChartInput([this](const QPoint& pos) { ShowLevelsMenu(pos); }, m_pSurface);
    input->setZoomAtTargetEnabled(false);
    input->setSelectionEnabled(false);
    m_pSurface->setActiveInputHandler(input);
    m_pSurface->scene()->activeCamera()->setCameraPosition(kInitialTurn, kInitialTilt,
                                                           kInitialZoom);
    m_pSurface->scene()->activeCamera()->setTarget(QVector3D(0.0f, kTargetHeight, 0.0f));

    m_pSeries = new QSurface3DSeries(new QSurfaceDataProxy);
    m_pSeries->setDrawMode(QSurface3DSeries::DrawSurface);
    m_pSeries->setFlatShadingEnabled(false);
    m_pSeries->setColorStyle(Q3DTheme::ColorStyleRangeGradient);
    m_pSurface->addSeries(m_pSeries);
    ApplyGradient();

    m_pContainer = QWidget::createWindowContainer(m_pSurface, this);
    m_pContainer->setObjectName(QStringLiteral("surface"));
    m_pContainer->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pContainer);
}

CChart3D::~CChart3D() = default;

bool CChart3D::HasContext() const
{
    return m_pSurface->hasContext();
}

void CChart3D::OnFrameDrawn()
{
    ++m_nFramesDrawn;
    emit frameDrawn();
}

void CChart3D::SetAxisTitle(Axis axis, const std::string& title)
{
    // The chart's Z is the intensity: the library's vertical axis, its Y.
    QValue3DAxis* target = axis == Axis::X   ? m_pSurface->axisX()
                           : axis == Axis::Y ? m_pSurface->axisZ()
                                             : m_pSurface->axisY();
    const QString text = QString::fromStdString(title);
    target->setTitle(text);
    target->setTitleVisible(!text.isEmpty());
}

void CChart3D::SetFillColour(int style, COLORREF colour)
{
    if (style < 0 || style >= kFillStyleCount)
        return;
    m_fillColours[static_cast<std::size_t>(style)] = colour;
    ScheduleRedraw();
}

void CChart3D::SetColourRange(const Plot3DColourRange& range)
{
    if (!std::isfinite(range.low) || !std::isfinite(range.high))
        return;
    m_bColourRange = true;
    m_fColourLow = range.low;
    m_fColourHigh = range.high;
    m_colourScale = range.scale;
    ScheduleRedraw();
}

void CChart3D::ForwardKey(QKeyEvent& event)
{
    // Sent to the container, a key goes up the widgets to the dialog like any other.
    QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.text(), event.isAutoRepeat(),
                   static_cast<quint16>(event.count()));
    QCoreApplication::sendEvent(m_pContainer, &copy);
    event.setAccepted(copy.isAccepted());
}

void CChart3D::SetViewValue(ViewValue which, double value)
{
    // No distance of 0 or less exists: such a value (a settings file with the rotations
    // only) keeps the chart's own distance rather than shrinking it to a dot.
    if (!std::isfinite(value) || (which == ViewValue::Perspective && value <= 0.0))
        return;
    const auto i = static_cast<std::size_t>(which);
    m_written[i] = value;
    m_bWritten[i] = true;
    Q3DCamera* camera = m_pSurface->scene()->activeCamera();
    switch (which) {
    case ViewValue::Perspective:
        camera->setZoomLevel(static_cast<float>(value));
        break;
    case ViewValue::XRotation:
        camera->setYRotation(static_cast<float>(value));
        break;
    case ViewValue::ZRotation:
        camera->setXRotation(static_cast<float>(value));
        break;
    case ViewValue::YRotation:
        break;
    }
}

double CChart3D::GetViewValue(ViewValue which) const
{
    // Perspective is the camera's distance (zoom), X rotation its tilt, Z rotation its
    // turn about the vertical axis.
    const Q3DCamera* camera = m_pSurface->scene()->activeCamera();
    float shown = 0.0f;
    switch (which) {
    case ViewValue::Perspective:
        shown = camera->zoomLevel();
        break;
    case ViewValue::XRotation:
        shown = camera->yRotation();
        break;
    case ViewValue::ZRotation:
        shown = camera->xRotation();
        break;
    case ViewValue::YRotation:
        return m_written[static_cast<std::size_t>(which)];
    }
    const auto i = static_cast<std::size_t>(which);
    if (m_bWritten[i] && static_cast<float>(m_written[i]) == shown)
        return m_written[i];
    return static_cast<double>(shown);
}

void CChart3D::SetContourLevels(int levels)
{
    m_nContourLevels = std::clamp(levels, 1, kMaxContourLevels);
    ApplyGradient();
}

void CChart3D::SetBatching(bool on)
{
    m_bBatching = on;
    if (!on)
        Redraw();
}

void CChart3D::SetColumnCount(int columns)
{
    m_nColumns = std::max(0, columns);
    ScheduleRedraw();
}

void CChart3D::SetRowCount(int rows)
{
    m_nRows = std::max(0, rows);
    ScheduleRedraw();
}

void CChart3D::SetFirstX(double x)
{
    m_fFirstX = FiniteOr(x, 0.0);
    ScheduleRedraw();
}

void CChart3D::SetFirstY(double y)
{
    m_fFirstY = FiniteOr(y, 0.0);
    ScheduleRedraw();
}

void CChart3D::SetHoleValue(double value)
{
    m_fHoleValue = value;
    ScheduleRedraw();
}

void CChart3D::SetGridMode(int mode)
{
    // Only the regular grid is drawn; the mode is kept for what reads it back.
    m_nGridMode = mode;
}

void CChart3D::SetXStep(double step)
{
    m_fXStep = std::isfinite(step) && step != 0.0 ? step : 1.0;
    ScheduleRedraw();
}

void CChart3D::SetYStep(double step)
{
    m_fYStep = std::isfinite(step) && step != 0.0 ? step : 1.0;
    ScheduleRedraw();
}

void CChart3D::SetValue(int column, int row, double value)
{
    if (column < 1 || column > m_nColumns || row < 1 || row > m_nRows)
        return;
    const long long points = static_cast<long long>(m_nColumns) * m_nRows;
    if (points > kMaxPoints)
        return;
    if (m_values.size() != static_cast<std::size_t>(points))
        m_values.assign(static_cast<std::size_t>(points), m_fHoleValue);
    m_values[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(m_nColumns) +
             static_cast<std::size_t>(column - 1)] = value;
    ScheduleRedraw();
}

void CChart3D::ScheduleRedraw()
{
    // Changes outside a batch are drawn together at the next turn of the event loop.
    if (m_bBatching || m_bRedrawPending)
        return;
    m_bRedrawPending = true;
    QTimer::singleShot(0, this, [this]() {
        if (m_bRedrawPending)
            Redraw();
    });
}

std::vector<double> CChart3D::ValuesWithoutHoles() const
{
    // A point without data lies flat at the lowest measured value.
    const std::size_t points = static_cast<std::size_t>(m_nColumns) * m_nRows;
    std::vector<double> values =
        m_values.size() == points ? m_values : std::vector<double>(points, m_fHoleValue);
    double floor = std::numeric_limits<double>::infinity();
    for (double v : values)
        if (v != m_fHoleValue && std::isfinite(v))
            floor = std::min(floor, v);
    if (!std::isfinite(floor))
        floor = 0.0;
    for (double& v : values)
        if (v == m_fHoleValue || !std::isfinite(v))
            v = floor;
    return values;
}

void CChart3D::Redraw()
{
    m_bRedrawPending = false;
    auto* array = new QSurfaceDataArray;
    if (m_nColumns < 1 || m_nRows < 1 ||
        static_cast<long long>(m_nColumns) * m_nRows > kMaxPoints) {
        m_pSeries->dataProxy()->resetArray(array);
        ApplyGradient();
        return;
    }

    const ThinnedGrid grid = ThinGrid(ValuesWithoutHoles(), m_nColumns, m_nRows, kMaxSurfaceSide);
    const std::vector<float> xs = AxisPositions(grid.columnIndex, m_fFirstX, m_fXStep);
    const std::vector<float> ys = AxisPositions(grid.rowIndex, m_fFirstY, m_fYStep);
    array->reserve(static_cast<qsizetype>(ys.size()));
    for (std::size_t r = 0; r < ys.size(); ++r) {
        const std::size_t sourceRow = std::min(r, static_cast<std::size_t>(grid.rows) - 1);
        auto* row = new QSurfaceDataRow(static_cast<qsizetype>(xs.size()));
        for (std::size_t c = 0; c < xs.size(); ++c) {
            const std::size_t sourceCol = std::min(c, static_cast<std::size_t>(grid.columns) - 1);
            const double v =
                grid.values[sourceRow * static_cast<std::size_t>(grid.columns) + sourceCol];
            (*row)[static_cast<qsizetype>(c)].setPosition(
                QVector3D(xs[c], static_cast<float>(v), ys[r]));
        }
        array->append(row);
    }

    SetUpAxes(grid.values, xs, ys);
    // The colours lie along the intensity axis just set.
    ApplyGradient();
    m_pSeries->dataProxy()->resetArray(array);
}

void CChart3D::SetUpAxes(const std::vector<double>& values, const std::vector<float>& xs,
                         const std::vector<float>& ys)
{
    m_pSurface->axisX()->setRange(std::min(xs.front(), xs.back()), std::max(xs.front(), xs.back()));
    m_pSurface->axisZ()->setRange(std::min(ys.front(), ys.back()), std::max(ys.front(), ys.back()));
    // Positions: the first and last grid point labelled, in the increments' decimals.
    const double lastX = m_fFirstX + (m_nColumns - 1) * m_fXStep;
    const double lastY = m_fFirstY + (m_nRows - 1) * m_fYStep;
    m_formatters[0]->SetTicks(
        ChooseAxisTicks(m_fFirstX, lastX, PositionResolution(m_fXStep), kMaxAxisSegments));
    m_formatters[2]->SetTicks(
        ChooseAxisTicks(m_fFirstY, lastY, PositionResolution(m_fYStep), kMaxAxisSegments));

    // Intensity: the colour range and every value, so the colours are those of the 2D
    // view and a flat pattern stands at its own labelled height.
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    double low = *lowest;
    double high = *highest;
    if (m_bColourRange) {
        low = std::min(low, m_fColourLow);
        high = std::max(high, m_fColourHigh);
    }
    AxisTicks ticks = ChooseAxisTicks(low, high, 1.0, kMaxIntensitySegments);
    if (high <= low) {
        high = low + 1.0;
        ticks.values = {low};
    }
    m_formatters[1]->SetTicks(std::move(ticks));
    m_pSurface->axisY()->setRange(static_cast<float>(low), static_cast<float>(high));

    const QValue3DAxis* x = m_pSurface->axisX();
    const QValue3DAxis* z = m_pSurface->axisZ();
    const float ratio = (x->max() - x->min()) / (z->max() - z->min());
    m_pSurface->setHorizontalAspectRatio(
        std::isfinite(ratio) ? std::clamp(ratio, 1.0f / kMaxSideRatio, kMaxSideRatio) : 1.0f);
}

void CChart3D::ApplyGradient()
{
    // A stepped gradient over the intensity axis: the colour range in n equal bands, level
    // k in the fill-style colour at its share of 0..100 (the first level takes style 0, the
    // last style 100); below the range the first colour, above it the last.
    const int n = m_nContourLevels;
    const auto colour = [this, n](int k) {
        const int share = n > 1 ? (k * 100 + (n - 1) / 2) / (n - 1) : 0;
        return ToQColor(m_fillColours[static_cast<std::size_t>(share)]);
    };
    const QValue3DAxis* axis = m_pSurface->axisY();
    const double axisLow = axis->min();
    const double axisSpan = static_cast<double>(axis->max()) - axisLow;
    double low = axisLow;
    double high = axis->max();
    if (m_bColourRange) {
        low = m_fColourLow;
        high = m_fColourHigh;
    }
    // Where on the axis (0 to 1) a share of the colour range lies, on the range's scale.
    const Plot3DColourRange range{low, high, m_colourScale};
    const auto at = [&](double share) {
        const double position =
            axisSpan > 0.0 ? (ValueAtShare(range, share) - axisLow) / axisSpan : 0.0;
        return std::clamp(position, 0.0, 1.0);
    };

    QLinearGradient gradient(0.0, 0.0, 0.0, 1.0);
    if (!(high > low)) {
        // No range: every value takes the first colour, as in the 2D view.
        gradient.setColorAt(0.0, colour(0));
        gradient.setColorAt(1.0, colour(0));
        m_pSeries->setBaseGradient(gradient);
        return;
    }
    constexpr double kEdge = 1e-4;
    gradient.setColorAt(0.0, colour(0));
    for (int k = 0; k < n; ++k) {
        const double from = at(static_cast<double>(k) / n);
        const double to = at(static_cast<double>(k + 1) / n);
        gradient.setColorAt(from, colour(k));
        gradient.setColorAt(k + 1 < n ? std::max(from, to - kEdge) : to, colour(k));
    }
    gradient.setColorAt(1.0, colour(n - 1));
    m_pSeries->setBaseGradient(gradient);
}

void CChart3D::FillLevelsMenu(QMenu& menu)
{
    auto* group = new QActionGroup(&menu);
    for (int levels : kLevelChoices) {
        QAction* action = menu.addAction(tr("%1 contour levels").arg(levels));
        action->setCheckable(true);
        action->setChecked(levels == m_nContourLevels);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, levels]() { SetContourLevels(levels); });
    }
}

void CChart3D::ShowLevelsMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    FillLevelsMenu(menu);
    menu.exec(globalPos);
}

bool CChart3D::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(width() > height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (m_ui.ExecDialog(dialog) != QDialog::Accepted)
        return false;

    // The chart as on screen, rendered anew at about twice its size for a sharper page.
    QSize size = m_pContainer->size() * 2;
    if (size.isEmpty())
        size = QSize(1200, 900);
    size = size.boundedTo(QSize(kMaxPrintSide, kMaxPrintSide));
    const QImage picture = m_pSurface->renderToImage(0, size);
    QPainter painter;
    if (picture.isNull() || !painter.begin(&printer)) {
        m_ui.ShowMessage(tr("The 3D plot could not be printed."));
        return false;
    }
    const QRect page = painter.viewport();
    const QSize fitted = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), fitted), picture);
    return painter.end();
}
