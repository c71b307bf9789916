#include "app/CommandIds.h"
#include "document/CVespiraDoc.h"
#include "tests/app/ShellFixture.h"
#include "view/CVespiraView.h"

#include <QAction>

#include <set>
#include <utility>

namespace {

std::set<std::pair<int, int>> Targets(const CVespiraDoc& doc)
{
    std::set<std::pair<int, int>> targets;
    for (int row = 0; row < doc.m_nYPoints; ++row)
        for (int col = 0; col < doc.m_nXPoints; ++col)
            if (doc.IsTarget(col, row))
                targets.insert({col, row});
    return targets;
}

} // namespace

TEST_F(ShellTest, CtrlZTakesBackThePointAndLeavesTheRectangle)
{
    CVespiraDoc* doc = frame->NewDocument();
    ASSERT_NE(doc, nullptr);
    Settle();
    CVespiraView* view = frame->ActiveView();
    ASSERT_NE(view, nullptr);
    QAction* undo = frame->Action(ID_EDIT_UNDO);
    QAction* redo = frame->Action(ID_EDIT_REDO);
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo\tCtrl+Z"));
    EXPECT_EQ(redo->text(), QStringLiteral("&Redo\tCtrl+Y"));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    auto cell = [view](int col, int row) { return view->CellRect(col, row).center(); };
    ASSERT_FALSE(view->CellRect(5, 4).isEmpty());
    frame->Action(ID_TOOL_RECTANGLE)->trigger();
    QTest::mousePress(view, Qt::LeftButton, {}, cell(1, 1));
    QTest::mouseRelease(view, Qt::LeftButton, {}, cell(3, 2));
    Settle();
    const std::set<std::pair<int, int>> rectangle = Targets(*doc);
    EXPECT_EQ(rectangle.size(), 6u);
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo Rectangle\tCtrl+Z"));

    frame->Action(ID_TOOL_ARROW)->trigger();
    QTest::mouseClick(view, Qt::LeftButton, {}, cell(5, 4));
    Settle();
    EXPECT_TRUE(doc->IsTarget(5, 4));
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo Point\tCtrl+Z"));
    EXPECT_TRUE(undo->isEnabled());

    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(Targets(*doc), rectangle);
    EXPECT_EQ(doc->ScanCount(), 6);
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo Rectangle\tCtrl+Z"));
    EXPECT_EQ(redo->text(), QStringLiteral("&Redo Point\tCtrl+Y"));
    EXPECT_TRUE(redo->isEnabled());
    emit Menu(QStringLiteral("&Edit"))->aboutToShow();
    EXPECT_EQ(Texts(Menu(QStringLiteral("&Edit"))).mid(0, 2),
              (QStringList{"&Undo Rectangle\tCtrl+Z", "&Redo Point\tCtrl+Y"}));

    // Both Redo keys give the point back.
    QTest::keyClick(frame.get(), Qt::Key_Y, Qt::ControlModifier);
    Settle();
    EXPECT_TRUE(doc->IsTarget(5, 4));
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    Settle();
    EXPECT_TRUE(doc->IsTarget(5, 4));
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(redo->text(), QStringLiteral("&Redo\tCtrl+Y"));
}

TEST_F(ShellTest, UndoTextsFollowTheActiveWindow)
{
    CVespiraDoc* first = frame->NewDocument();
    ASSERT_NE(first, nullptr);
    first->BeginTargetStep(QStringLiteral("Line"));
    first->SetScanTime(0, 0, 1.0f);
    first->EndTargetStep();
    Settle();
    QAction* undo = frame->Action(ID_EDIT_UNDO);
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo Line\tCtrl+Z"));

    ASSERT_NE(frame->NewDocument(), nullptr);
    Settle();
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo\tCtrl+Z"));
    EXPECT_FALSE(undo->isEnabled());

    frame->MdiArea()->setActiveSubWindow(docs.Frames()[0]);
    Settle();
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo Line\tCtrl+Z"));
    // A change of the history outside any command is followed too.
    first->Undo();
    Settle();
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo\tCtrl+Z"));
    EXPECT_EQ(frame->Action(ID_EDIT_REDO)->text(), QStringLiteral("&Redo Line\tCtrl+Y"));
}
