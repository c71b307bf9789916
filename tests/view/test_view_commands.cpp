#include "base/FixedText.h"
#include "link/dialogs/CSendTargetsDlg.h"
#include "tests/common/ViewTestSupport.h"
#include "view/CVespiraView.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPaintEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <array>

namespace {

// Counts the paint events a widget receives.
class CPaintCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

struct ViewCommandsTest : ViewFixtureBase, ::testing::Test
{
    std::unique_ptr<CVespiraView> view;
    CPaintCounter counter;

    void Show(int nx, int ny)
    {
        MakeDoc(nx, ny);
        view = std::make_unique<CVespiraView>(*doc, state);
        view->resize(400, 300);
        view->show();
        Settle();
        view->installEventFilter(&counter);
    }
    // Paints since the last call.
    int Paints()
    {
        Settle();
        const int n = counter.paints;
        counter.paints = 0;
        return n;
    }
    std::array<int, 5> Zoom() const
    {
        return {doc->m_nZoom, doc->m_nFirstCol, doc->m_nLastCol, doc->m_nFirstRow, doc->m_nLastRow};
    }
};

TEST_F(ViewCommandsTest, ZoomStepsThroughItsLevelsAndDoesNothingAtTheLimits)
{
    Show(100, 60);
    view->OnZoomOut();
    view->OnZoomReset();
    EXPECT_EQ(Paints(), 0);
    EXPECT_EQ(Zoom(), (std::array<int, 5>{1, 0, 99, 0, 59}));

    doc->m_nZoomCol = 90;
    doc->m_nZoomRow = 10;
    for (int i = 0; i < 4; ++i)
        view->OnZoomIn();
    EXPECT_EQ(Zoom(), (std::array<int, 5>{5, 50, 99, 0, 29}));
    EXPECT_GT(Paints(), 0);
    for (int i = 0; i < 3; ++i)
        view->OnZoomIn();
    EXPECT_EQ(doc->m_nZoom, 8);
    Paints();
    const auto top = Zoom();
    view->OnZoomIn();
    EXPECT_EQ(Zoom(), top);
    EXPECT_EQ(Paints(), 0);

    view->OnZoomOut();
    EXPECT_EQ(doc->m_nZoom, 7);
    EXPECT_GT(Paints(), 0);
    view->OnZoomReset();
    EXPECT_EQ(Zoom(), (std::array<int, 5>{1, 0, 99, 0, 59}));
    // The centre stays for the next zoom.
    EXPECT_EQ(doc->m_nZoomCol, 90);
    EXPECT_EQ(doc->m_nZoomRow, 10);
}

TEST_F(ViewCommandsTest, SetZoomKeepsSmallGridsInsideAtEveryLevel)
{
    for (int nx = 1; nx <= 9; ++nx)
        for (int ny : {1, 4, 5, 9}) {
            MakeDoc(nx, ny);
            CVespiraView v(*doc, state);
            doc->m_nZoomCol = nx - 1;
            doc->m_nZoomRow = 0;
            for (int level = 1; level <= 8; ++level) {
                v.SetZoom(level);
                const int columns =
                    level == 1 ? nx : std::min(nx, std::max((9 - level) * nx / 8, 5));
                EXPECT_EQ(doc->m_nLastCol, nx - 1) << nx << " " << level;
                EXPECT_EQ(doc->m_nLastCol - doc->m_nFirstCol + 1, columns) << nx << " " << level;
                EXPECT_EQ(doc->m_nFirstRow, 0);
                EXPECT_LE(doc->m_nLastRow, ny - 1);
            }
        }
}

TEST_F(ViewCommandsTest, ZoomIsSharedButOnlyTheCommandingViewRepaints)
{
    Show(40, 30);
    CVespiraView other(*doc, state);
    other.resize(200, 150);
    other.show();
    Settle();
    CPaintCounter otherCounter;
    other.installEventFilter(&otherCounter);
    view->OnZoomIn();
    EXPECT_GT(Paints(), 0);
    EXPECT_EQ(otherCounter.paints, 0);
    EXPECT_EQ(doc->m_nZoom, 2);
    // The other view shows the new window (columns 2 to 36, rows 2 to 27) at its next
    // repaint.
    EXPECT_FALSE(other.CellRect(0, 0).isEmpty());
    other.repaint();
    EXPECT_TRUE(other.CellRect(0, 0).isEmpty());
    EXPECT_FALSE(other.CellRect(2, 2).isEmpty());
}

TEST_F(ViewCommandsTest, SwitchesFlipAndRepaint)
{
    Show(10, 10);
    state.view.overlay = true;
    state.view.header = false;
    view->OnViewOverlay();
    view->OnViewHeader();
    EXPECT_FALSE(state.view.overlay);
    EXPECT_TRUE(state.view.header);
    EXPECT_GT(Paints(), 0);
    view->OnViewOverlay();
    view->OnViewHeader();
    EXPECT_TRUE(state.view.overlay);
    EXPECT_FALSE(state.view.header);
}

TEST_F(ViewCommandsTest, ClearAllAndUndoRepaintButLeaveTheModifiedFlag)
{
    Show(10, 10);
    SetTime(1, 1, 900.0f);
    doc->SetModifiedFlag(false);
    view->OnClearAll();
    EXPECT_EQ(doc->ScanCount(), 0);
    EXPECT_GT(Paints(), 0);
    view->OnEditUndo();
    EXPECT_TRUE(doc->IsTarget(1, 1));
    EXPECT_GT(Paints(), 0);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(ViewCommandsTest, CtrlWheelZoomsAroundThePointUnderThePointer)
{
    Show(40, 30);
    const QPoint at = view->CellRect(30, 20).center();
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.get(), &event);
    };
    wheel(120, Qt::NoModifier);
    EXPECT_EQ(doc->m_nZoom, 1);
    EXPECT_EQ(doc->m_nZoomCol, -1);
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(doc->m_nZoom, 2);
    EXPECT_EQ(doc->m_nZoomCol, 30);
    EXPECT_EQ(doc->m_nZoomRow, 20);
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(doc->m_nZoom, 1);
}

TEST_F(ViewCommandsTest, CopyTakesTheClientSizeAsShown)
{
    Show(10, 10);
    QImage copy = view->CopyImage();
    EXPECT_EQ(copy.size(), QSize(400, 300));
    EXPECT_EQ(copy, view->grab().toImage().convertToFormat(copy.format()));
    view->resize(250, 180);
    Settle();
    EXPECT_EQ(view->CopyImage().size(), QSize(250, 180));
    view->OnEditCopy();
    EXPECT_TRUE(ui.messages.isEmpty());
    const QImage clipboard = QGuiApplication::clipboard()->image();
    if (!clipboard.isNull()) {
        EXPECT_EQ(clipboard.size(), QSize(250, 180));
    }
}

TEST_F(ViewCommandsTest, SendTargetsNamesTheJobAfterTheTitleAndActivatesTheView)
{
    Show(10, 10);
    doc->SetTitle(QString(90, QLatin1Char('t')));
    CopyText(state.job.szSampleName, "kept");
    QString jobName;
    ui.dialogHandler = [&](QDialog& dialog) {
        EXPECT_NE(qobject_cast<CSendTargetsDlg*>(&dialog), nullptr);
        jobName = dialog.findChild<QLineEdit*>(QStringLiteral("jobName"))->text();
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("sample"))->text(),
                  QStringLiteral("kept"));
        return int(QDialog::Rejected);
    };
    state.liveScan.Forget();
    state.liveScan.SetView(nullptr);
    view->OnSendTargets();
    EXPECT_EQ(jobName, QString(79, QLatin1Char('t')));
    EXPECT_EQ(state.liveScan.Document(), doc.get());
    EXPECT_EQ(state.liveScan.View(), view.get());

    // A new scan's pattern, announced while the dialog is open, keeps the scan.
    CVespiraDoc scanned(state);
    ASSERT_TRUE(scanned.SetUpGrid({3, 3, 0.0f, 2.0f, 1.0f, 0.0f, 2.0f, 1.0f}));
    ui.dialogHandler = [&](QDialog&) {
        state.liveScan.SetActive(&scanned);
        return int(QDialog::Rejected);
    };
    view->OnSendTargets();
    EXPECT_EQ(state.liveScan.Document(), &scanned);
    state.liveScan.Forget();
}

} // namespace
