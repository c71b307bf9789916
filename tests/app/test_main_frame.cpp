#include "app/CQtHostUi.h"
#include "app/CStatusPanes.h"
#include "app/CommandTable.h"
#include "display/dialogs/COrientationDlg.h"
#include "document/CVespiraDoc.h"
#include "tests/app/ShellFixture.h"
#include "view/CVespiraView.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

TEST_F(ShellTest, NoDocumentMenus)
{
    EXPECT_FALSE(frame->ShowsDocumentMenus());
    EXPECT_EQ(MenuTitles(), (QStringList{"&File", "&Edit", "&View", "&Help"}));
    EXPECT_EQ(Texts(Menu("&File")), (QStringList{"&Open...\tCtrl+O", "-", "P&rint Setup...", "-",
                                                 "Recent File", "-", "E&xit"}));
    EXPECT_EQ(Texts(Menu("&Edit")), (QStringList{"&Options", "Orientation"}));
    EXPECT_EQ(Texts(Menu("&View")),
              (QStringList{"&Toolbar", "&Status Bar", "-", "Share &Live View..."}));
    EXPECT_EQ(Texts(Menu("&Help")),
              (QStringList{"&Help Topics", "-", "&About ORMA Radiography..."}));
    EXPECT_EQ(frame->menuBar()->actions().size(), 4);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira"));
}

TEST_F(ShellTest, DocumentMenusWhileAPatternWindowIsActive)
{
    ASSERT_NE(frame->NewDocument(), nullptr);
    Settle();
    EXPECT_TRUE(frame->ShowsDocumentMenus());
    EXPECT_EQ(MenuTitles(), (QStringList{"&File", "&Edit", "&View", "&Tools", "&Window", "&Help"}));
    EXPECT_EQ(Texts(Menu("&File")),
              (QStringList{"&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S", "Save &As...", "-",
                           "&Export...", "Export &Targets...", "&Import Targets...", "-",
                           "&Print...\tCtrl+P", "Print Pre&view", "P&rint Setup...", "-",
                           "Recent File", "-", "E&xit"}));
    EXPECT_EQ(Texts(Menu("&Edit")),
              (QStringList{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "Clear All\tCtrl+DEL", "-",
                           "&Copy\tCtrl+C", "-", "Zoom &In\t+", "Zoom &Out\t-", "Zoom &Reset\tEsc",
                           "-", "&Options", "Orientation", "-", "&Send targets\tEnd"}));
    EXPECT_EQ(
        Texts(Menu("&View")),
        (QStringList{"&Overlay of targets", "&Header Information", "Loc&k Colour Range\tCtrl+L",
                     "-", "Target &List", "&Toolbar", "&Status Bar", "-", "Share &Live View..."}));
    EXPECT_EQ(Texts(Menu("&Tools")), (QStringList{"&Arrow\tF9", "&Line\tF10", "&Curve\tF11",
                                                  "&Rectangle\tF12", "-", "&Eraser\tDel"}));
    QStringList window = Texts(Menu("&Window"));
    EXPECT_EQ(window.mid(0, 4),
              (QStringList{"&New Window", "&Cascade", "&Tile", "&Arrange Icons"}));
    EXPECT_EQ(Texts(Menu("&Help")), (QStringList{"&Help Topics", "-", "&About Vespira..."}));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - ORMA1"));

    // Closing the last pattern window brings the first menus back.
    ui.answers << IHostUi::Answer::No;
    frame->ActiveChild()->close();
    Settle();
    EXPECT_FALSE(frame->ShowsDocumentMenus());
    EXPECT_EQ(MenuTitles(), (QStringList{"&File", "&Edit", "&View", "&Help"}));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira"));
}

TEST_F(ShellTest, MenusAndCaptionFollowTheActiveChild)
{
    frame->NewDocument();
    frame->NewDocument();
    Settle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - ORMA2"));
    const QList<CChildFrame*> frames = docs.Frames();
    ASSERT_EQ(frames.size(), 2);
    frame->MdiArea()->setActiveSubWindow(frames[0]);
    Settle();
    EXPECT_EQ(frame->ActiveChild(), frames[0]);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - ORMA1"));
    // The window list of the Window menu.
    QMenu* window = Menu("&Window");
    emit window->aboutToShow();
    const QStringList texts = Texts(window);
    EXPECT_TRUE(texts.contains(QStringLiteral("&1 ORMA1")));
    EXPECT_TRUE(texts.contains(QStringLiteral("&2 ORMA2")));
}

TEST_F(ShellTest, AcceleratorTable)
{
    auto keys = [this](int id) { return frame->Action(id)->shortcuts(); };
    EXPECT_EQ(keys(ID_EDIT_COPY),
              (QList<QKeySequence>{QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}));
    EXPECT_EQ(keys(ID_FILE_NEW), QList<QKeySequence>{QKeySequence("Ctrl+N")});
    EXPECT_EQ(keys(ID_FILE_OPEN), QList<QKeySequence>{QKeySequence("Ctrl+O")});
    EXPECT_EQ(keys(ID_FILE_PRINT), QList<QKeySequence>{QKeySequence("Ctrl+P")});
    EXPECT_EQ(keys(ID_FILE_SAVE), QList<QKeySequence>{QKeySequence("Ctrl+S")});
    EXPECT_EQ(keys(ID_EDIT_UNDO),
              (QList<QKeySequence>{QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
    EXPECT_EQ(keys(ID_EDIT_REDO),
              (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    EXPECT_EQ(keys(ID_EDIT_CUT),
              (QList<QKeySequence>{QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}));
    EXPECT_EQ(keys(ID_EDIT_PASTE),
              (QList<QKeySequence>{QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}));
    // The keypad's keys and the main keyboard's, as the menu's "+" and "-" promise.
    EXPECT_EQ(keys(ID_ZOOM_IN),
              (QList<QKeySequence>{QKeySequence(Qt::KeypadModifier | Qt::Key_Plus),
                                   QKeySequence(Qt::Key_Plus)}));
    EXPECT_EQ(keys(ID_ZOOM_OUT),
              (QList<QKeySequence>{QKeySequence(Qt::KeypadModifier | Qt::Key_Minus),
                                   QKeySequence(Qt::Key_Minus)}));
    EXPECT_EQ(keys(ID_ZOOM_RESET), QList<QKeySequence>{QKeySequence("Esc")});
    EXPECT_EQ(keys(ID_SEND_TARGETS), QList<QKeySequence>{QKeySequence("End")});
    EXPECT_EQ(keys(ID_TOOL_ERASER), QList<QKeySequence>{QKeySequence("Del")});
    EXPECT_EQ(keys(ID_TOOL_ARROW), QList<QKeySequence>{QKeySequence("F9")});
    EXPECT_EQ(keys(ID_TOOL_LINE), QList<QKeySequence>{QKeySequence("F10")});
    EXPECT_EQ(keys(ID_TOOL_CURVE), QList<QKeySequence>{QKeySequence("F11")});
    EXPECT_EQ(keys(ID_TOOL_RECTANGLE), QList<QKeySequence>{QKeySequence("F12")});
    EXPECT_EQ(keys(ID_HELP), QList<QKeySequence>{QKeySequence("F1")});
    EXPECT_EQ(keys(ID_CONTEXT_HELP), QList<QKeySequence>{QKeySequence("Shift+F1")});
    EXPECT_EQ(keys(ID_NEXT_PANE), QList<QKeySequence>{QKeySequence("F6")});
    EXPECT_EQ(keys(ID_PREV_PANE), QList<QKeySequence>{QKeySequence("Shift+F6")});
    EXPECT_EQ(keys(ID_CLEAR_ALL), QList<QKeySequence>{QKeySequence("Ctrl+Del")});
    EXPECT_EQ(keys(ID_RANGE_LOCK), QList<QKeySequence>{QKeySequence("Ctrl+L")});
    // The keys of every Linux desktop besides.
    EXPECT_EQ(keys(ID_APP_EXIT), QList<QKeySequence>{QKeySequence("Ctrl+Q")});
    EXPECT_EQ(keys(ID_WINDOW_CLOSE), QList<QKeySequence>{QKeySequence("Ctrl+W")});
}

TEST_F(ShellTest, CtrlWClosesTheActiveWindowAndCtrlQQuits)
{
    CVespiraDoc* doc = frame->NewDocument();
    doc->SetModifiedFlag(false);
    frame->Action(ID_WINDOW_NEW)->trigger();
    Settle();
    ASSERT_EQ(docs.Frames().size(), 2);
    ASSERT_TRUE(frame->Action(ID_WINDOW_CLOSE)->isEnabled());
    QTest::keyClick(frame.get(), Qt::Key_W, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(docs.Frames().size(), 1);
    EXPECT_EQ(docs.Documents().size(), 1u);
    QTest::keyClick(frame.get(), Qt::Key_Q, Qt::ControlModifier);
    Settle();
    EXPECT_TRUE(frame->IsClosed());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ShellTest, ViewCommandsReachTheActiveViewFromTheirKeys)
{
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->Action(ID_FILE_PRINT_SETUP)->isEnabled());
    EXPECT_FALSE(frame->Action(ID_FILE_PRINT)->isEnabled());
    CVespiraDoc* doc = NewTenByTen();
    ASSERT_NE(doc, nullptr);
    frame->UpdateCommandUi();
    for (int id :
         {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_RESET, ID_CLEAR_ALL, ID_EDIT_COPY, ID_SEND_TARGETS,
          ID_VIEW_OVERLAY, ID_VIEW_HEADER, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
    EXPECT_FALSE(frame->Action(ID_EDIT_UNDO)->isEnabled()) << "nothing to undo yet";
    EXPECT_TRUE(frame->Action(ID_PROPERTIES)->isEnabled());
    EXPECT_TRUE(frame->Action(ID_PLOT_3D)->isEnabled());

    QWidget* target = frame->ActiveView();
    QTest::keyClick(target, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(doc->m_nZoom, 2);
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_EQ(doc->m_nZoom, 1);
    // Under X11 the keypad keys reach the view as plain key presses.
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
    QApplication::sendEvent(target, &plus);
    EXPECT_EQ(doc->m_nZoom, 2);
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::KeypadModifier, QStringLiteral("-"));
    QApplication::sendEvent(target, &minus);
    EXPECT_EQ(doc->m_nZoom, 1);
    // The main keyboard's + and - zoom as well.
    QTest::keyClick(target, Qt::Key_Plus);
    EXPECT_EQ(doc->m_nZoom, 2);
    QTest::keyClick(target, Qt::Key_Minus);
    EXPECT_EQ(doc->m_nZoom, 1);

    doc->SetScanTime(3, 0, 900.0f);
    QTest::keyClick(target, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(doc->ScanCount(), 0);
    EXPECT_TRUE(frame->Action(ID_EDIT_UNDO)->isEnabled()) << "at once, before the next event";
    QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->ScanCount(), 1);

    const bool overlay = state.view.overlay;
    frame->Action(ID_VIEW_OVERLAY)->trigger();
    frame->UpdateCommandUi();
    EXPECT_NE(state.view.overlay, overlay);
    EXPECT_EQ(frame->Action(ID_VIEW_OVERLAY)->isChecked(), state.view.overlay);

    QTest::keyClick(target, Qt::Key_End);
    EXPECT_EQ(ui.dialogCount, 1);
    frame->Action(ID_FILE_PRINT_PREVIEW)->trigger();
    EXPECT_EQ(ui.dialogCount, 2);
}

TEST_F(ShellTest, CtrlNKeyMakesAPattern)
{
    QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
    Settle();
    ASSERT_EQ(docs.Documents().size(), 1u);
    EXPECT_EQ(docs.Documents()[0]->GetTitle(), QStringLiteral("ORMA1"));
}

TEST_F(ShellTest, ToolbarInItsOrderWithTipsAndWhatsThis)
{
    QList<int> ids;
    for (QAction* a : frame->ToolBar()->actions())
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    const std::vector<int>& expected = ToolbarButtons();
    EXPECT_EQ(ids, QList<int>(expected.begin(), expected.end()));
    EXPECT_EQ(ids, (QList<int>{57601, 57603, 0, 32779, 32780, 32781, 0,     57607, 57664, 57669, 0,
                               32772, 32804, 0, 32773, 32774, 32775, 32776, 32777, 0,     32788}));
    EXPECT_GE(frame->ToolBar()->iconSize().width(), 16);
    EXPECT_GE(frame->ToolBar()->iconSize().height(), 15);
    for (QAction* a : frame->ToolBar()->actions()) {
        if (a->isSeparator())
            continue;
        EXPECT_FALSE(a->icon().isNull()) << a->data().toInt();
        EXPECT_FALSE(a->whatsThis().isEmpty()) << a->data().toInt();
        EXPECT_FALSE(a->toolTip().isEmpty()) << a->data().toInt();
        auto* button = qobject_cast<QToolButton*>(frame->ToolBar()->widgetForAction(a));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->whatsThis(), a->whatsThis());
    }
    EXPECT_EQ(frame->Action(ID_ZOOM_IN)->toolTip(), QStringLiteral("Zoom In"));
    EXPECT_EQ(frame->Action(ID_ZOOM_IN)->statusTip(),
              QStringLiteral("Zoom active document (enlarge)"));
    EXPECT_EQ(frame->Action(ID_VIEW_HEADER)->statusTip(),
              QStringLiteral("Display full header information in document view"));
    EXPECT_EQ(frame->Action(ID_VIEW_HEADER)->toolTip(),
              QStringLiteral("Toggle header information"));
    EXPECT_EQ(frame->Action(ID_SEND_TARGETS)->toolTip(), QStringLiteral("Send targets"));
}

TEST_F(ShellTest, CommandsWithoutHandlersAreDisabledViewCommandsNeedAView)
{
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->Action(ID_FILE_OPEN)->isEnabled());
    EXPECT_TRUE(frame->Action(ID_APP_ABOUT)->isEnabled());
    EXPECT_FALSE(frame->Action(ID_FILE_SAVE)->isEnabled());
    EXPECT_FALSE(frame->Action(ID_ZOOM_IN)->isEnabled());
    // A later part gives the command a handler: enabled while a view is active.
    int zoomed = 0;
    frame->SetCommandHandler(ID_ZOOM_IN, [&zoomed]() { ++zoomed; });
    frame->UpdateCommandUi();
    EXPECT_FALSE(frame->Action(ID_ZOOM_IN)->isEnabled());
    frame->NewDocument();
    Settle();
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->Action(ID_ZOOM_IN)->isEnabled());
    EXPECT_TRUE(frame->Action(ID_FILE_SAVE)->isEnabled());
    frame->Action(ID_ZOOM_IN)->trigger();
    EXPECT_EQ(zoomed, 1);
    // The context menu shares the commands.
    QMenu menu;
    frame->FillContextMenu(menu);
    EXPECT_EQ(Texts(&menu), (QStringList{"Copy", "-", "Zoom In", "Zoom Out", "Zoom Reset", "-",
                                         "3D Plot", "-", "Properties"}));
    menu.actions()[2]->trigger();
    EXPECT_EQ(zoomed, 2);
}

TEST_F(ShellTest, CtrlLLocksTheColourRangeShownAndTheCheckMarkFollows)
{
    CVespiraDoc* doc = NewTenByTen();
    ASSERT_NE(doc, nullptr);
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->Action(ID_RANGE_LOCK)->isEnabled());
    EXPECT_FALSE(frame->Action(ID_RANGE_LOCK)->isChecked());

    ASSERT_TRUE(doc->SetPointIntensity(1.0f, 9.0f, 500));
    QTest::keyClick(frame->ActiveView(), Qt::Key_L, Qt::ControlModifier);
    frame->UpdateCommandUi();
    EXPECT_TRUE(doc->m_range.IsLocked());
    EXPECT_TRUE(frame->Action(ID_RANGE_LOCK)->isChecked());
    // A higher point raises the maximum but not the locked range.
    ASSERT_TRUE(doc->SetPointIntensity(2.0f, 9.0f, 9000));
    EXPECT_EQ(doc->m_nMaxIntensity, 9000);
    EXPECT_EQ(doc->m_range.Locked()->max, 500);

    frame->Action(ID_RANGE_LOCK)->trigger();
    frame->UpdateCommandUi();
    EXPECT_FALSE(doc->m_range.IsLocked());
    EXPECT_FALSE(frame->Action(ID_RANGE_LOCK)->isChecked());
}

TEST_F(ShellTest, CheckMarksFollowTheProgramState)
{
    frame->NewDocument();
    Settle();
    state.tools.tool = CursorTool::Rectangle;
    state.view.overlay = false;
    state.view.header = true;
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->Action(ID_TOOL_RECTANGLE)->isChecked());
    EXPECT_FALSE(frame->Action(ID_TOOL_ARROW)->isChecked());
    EXPECT_FALSE(frame->Action(ID_VIEW_OVERLAY)->isChecked());
    EXPECT_TRUE(frame->Action(ID_VIEW_HEADER)->isChecked());
    state.tools.tool = CursorTool::Eraser;
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->Action(ID_TOOL_ERASER)->isChecked());
}

TEST_F(ShellTest, ToolbarAndStatusBarToggles)
{
    EXPECT_TRUE(frame->ToolBar()->isVisible());
    frame->Action(ID_VIEW_TOOLBAR)->trigger();
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    frame->UpdateCommandUi();
    EXPECT_FALSE(frame->Action(ID_VIEW_TOOLBAR)->isChecked());
    frame->Action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    frame->Action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_TRUE(frame->statusBar()->isVisible());
}

TEST_F(ShellTest, StatusPaneStartsWithQuestionMarks)
{
    Settle();
    QLabel* pane = frame->StatusPane(ID_INDICATOR_STAT);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->text(), QStringLiteral("X: ?  Y: ?  Int: ?  Time: ?"));
    EXPECT_EQ(pane->width(), pane->fontMetrics().horizontalAdvance(pane->text()));
    EXPECT_EQ(frame->StatusPane(0)->text(), QStringLiteral("For Help, press F1"));
}

TEST_F(ShellTest, StatusPaneIsAsWideAsItsText)
{
    frame->SetStatusText(QStringLiteral("Remote NEWPOINT command:"));
    Settle();
    QLabel* pane = frame->StatusPane(ID_INDICATOR_STAT);
    EXPECT_EQ(pane->text(), QStringLiteral("Remote NEWPOINT command:"));
    const int wide = pane->width();
    EXPECT_EQ(wide,
              pane->fontMetrics().horizontalAdvance(QStringLiteral("Remote NEWPOINT command:")));
    frame->SetStatusText(QStringLiteral("X: 1"));
    Settle();
    EXPECT_LT(pane->width(), wide);
    EXPECT_EQ(pane->width(), pane->fontMetrics().horizontalAdvance(QStringLiteral("X: 1")));
}

TEST_F(ShellTest, StatusTextIsCutAt255)
{
    frame->SetStatusText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(frame->StatusText().size(), 255);
    Settle();
    EXPECT_EQ(frame->StatusPane(ID_INDICATOR_STAT)->text().size(), 255);
}

TEST_F(ShellTest, HostStatusTextReachesPane101)
{
    CQtHostUi host;
    host.SetStatusText(QStringLiteral("before the frame"));
    host.SetMainFrame(frame.get());
    EXPECT_EQ(frame->StatusText(), QStringLiteral("before the frame"));
    host.SetStatusText(QStringLiteral("Remote COLLECTING command:"));
    Settle();
    EXPECT_EQ(frame->StatusPane(ID_INDICATOR_STAT)->text(),
              QStringLiteral("Remote COLLECTING command:"));
}

TEST_F(ShellTest, AClosedPatternsValuesLeavePane101)
{
    CVespiraDoc* first = frame->NewDocument();
    CVespiraDoc* second = frame->NewDocument();
    Settle();
    const QString initial = QString::fromLatin1(CStatusPanes::kInitialStatusText);
    frame->SetStatusText(QStringLiteral("X: 3  Y: 4  Int: 3804  Time: 900"));
    // Another window of the pattern closing leaves the pattern, and its values.
    frame->Action(ID_WINDOW_NEW)->trigger();
    Settle();
    frame->ActiveChild()->close();
    Settle();
    EXPECT_EQ(frame->StatusText(), QStringLiteral("X: 3  Y: 4  Int: 3804  Time: 900"));

    for (CVespiraDoc* doc : {second, first}) {
        frame->SetStatusText(QStringLiteral("X: 3  Y: 4  Int: 3804  Time: 900"));
        doc->SetModifiedFlag(false);
        docs.CloseDocument(doc);
        Settle();
        EXPECT_EQ(frame->StatusText(), initial);
        EXPECT_EQ(frame->StatusPane(ID_INDICATOR_STAT)->text(), initial);
    }
}

TEST_F(ShellTest, TheLastRemoteCommandHasAPaneBesideThePointerReadout)
{
    CQtHostUi host;
    host.ShowRemoteCommand(QStringLiteral("Remote NEWIMAGE command:"));
    host.SetMainFrame(frame.get());
    QLabel* remote = frame->StatusPane(CStatusPanes::kRemoteCommandPane);
    ASSERT_NE(remote, nullptr);
    EXPECT_EQ(remote->text(), QStringLiteral("Remote NEWIMAGE command:"));
    host.SetStatusText(QStringLiteral("X: 1  Y: 2  Int: 300  Time: ?"));
    host.ShowRemoteCommand(QStringLiteral("Remote NEWPOINT command:"));
    Settle();
    EXPECT_EQ(frame->StatusPane(ID_INDICATOR_STAT)->text(),
              QStringLiteral("X: 1  Y: 2  Int: 300  Time: ?"));
    EXPECT_EQ(remote->text(), QStringLiteral("Remote NEWPOINT command:"));
    EXPECT_TRUE(remote->isVisible());
    EXPECT_EQ(remote->width(), remote->fontMetrics().horizontalAdvance(remote->text()));
}

TEST_F(ShellTest, LockIndicatorPanesExist)
{
    for (int id : {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL})
        ASSERT_NE(frame->StatusPane(id), nullptr);
}

TEST_F(ShellTest, MaximisedChildShowsItsTitleOnceInTheCaption)
{
    CVespiraDoc* doc = frame->NewDocument();
    Settle();
    frame->ActiveChild()->showMaximized();
    Settle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - [ORMA1]"));
    doc->SetTitle(QStringLiteral("Collecting:  X: 1  Y: 2"));
    Settle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - [Collecting:  X: 1  Y: 2]"));
    frame->ActiveChild()->showNormal();
    Settle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - Collecting:  X: 1  Y: 2"));
}

namespace {

bool Inside(const QMdiSubWindow* window, const QMdiArea* area)
{
    return area->viewport()->rect().contains(window->geometry());
}

} // namespace

TEST_F(ShellTest, NewWindowsTakeTheCascadesPlacesInsideTheArea)
{
    for (int i = 0; i < 12; ++i)
        frame->NewDocument();
    Settle();
    const QList<CChildFrame*> frames = docs.Frames();
    const QSize area = frame->MdiArea()->viewport()->size();
    for (CChildFrame* child : frames) {
        EXPECT_TRUE(Inside(child, frame->MdiArea())) << child->geometry().x();
        EXPECT_EQ(child->size(), QSize(area.width() * 3 / 4, area.height() * 3 / 4));
    }
    // One step down and right of the one before, a title bar's height.
    EXPECT_EQ(frames[0]->pos(), QPoint(0, 0));
    EXPECT_EQ(frames[1]->pos().x(), frames[1]->pos().y());
    EXPECT_GT(frames[1]->pos().x(), 10);
    EXPECT_EQ(frames[2]->pos(), frames[1]->pos() * 2);
    EXPECT_FALSE(frame->MdiArea()->horizontalScrollBar()->isVisible());
}

TEST_F(ShellTest, CascadeKeepsEveryWindowUsable)
{
    for (int i = 0; i < 3; ++i)
        frame->NewDocument();
    Settle();
    for (CChildFrame* child : docs.Frames())
        child->setGeometry(5, 5, 50, 40);
    CChildFrame* active = frame->ActiveChild();
    frame->Action(ID_WINDOW_CASCADE)->trigger();
    Settle();
    const QSize area = frame->MdiArea()->viewport()->size();
    QList<QPoint> places;
    for (CChildFrame* child : docs.Frames()) {
        EXPECT_EQ(child->size(), QSize(area.width() * 3 / 4, area.height() * 3 / 4));
        EXPECT_TRUE(Inside(child, frame->MdiArea()));
        places << child->pos();
    }
    std::sort(places.begin(), places.end(),
              [](const QPoint& a, const QPoint& b) { return a.x() < b.x(); });
    EXPECT_EQ(places[0], QPoint(0, 0));
    EXPECT_EQ(places[2] - places[1], places[1] - places[0]);
    // The active window stays active, on top, in the last place.
    EXPECT_EQ(frame->ActiveChild(), active);
    EXPECT_EQ(active->pos(), places[2]);
}

TEST_F(ShellTest, AFileOpenedBeforeTheWindowIsShownGetsTheSamePlaceAsFromTheMenu)
{
    CDocManager early(state.services, state.View(), ui);
    CMainFrame hidden(state, early, ui);
    hidden.resize(1000, 760);
    early.OpenDocumentFile(QByteArray(VESPIRA_EXAMPLES "/small.rad"));
    hidden.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&hidden));
    Settle();
    ASSERT_EQ(early.Frames().size(), 1);
    const QSize area = hidden.MdiArea()->viewport()->size();
    EXPECT_EQ(early.Frames()[0]->geometry(),
              QRect(0, 0, area.width() * 3 / 4, area.height() * 3 / 4));
    hidden.close();
}

TEST_F(ShellTest, ToolCommandsAreAlwaysEnabledAndChangeTheToolAtOnce)
{
    frame->UpdateCommandUi();
    for (int id : {ID_TOOL_ARROW, ID_TOOL_LINE, ID_TOOL_CURVE, ID_TOOL_RECTANGLE, ID_TOOL_ERASER})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
    QTest::keyClick(frame.get(), Qt::Key_F10);
    EXPECT_EQ(state.tools.tool, CursorTool::Line);
    frame->UpdateCommandUi();
    EXPECT_TRUE(frame->Action(ID_TOOL_LINE)->isChecked());

    frame->NewDocument();
    Settle();
    state.tools.dragMode = DragMode::Selecting; // a gesture under way goes on
    QTest::keyClick(frame.get(), Qt::Key_Delete);
    EXPECT_EQ(state.tools.tool, CursorTool::Eraser);
    QTest::keyClick(frame.get(), Qt::Key_F12);
    EXPECT_EQ(state.tools.tool, CursorTool::Rectangle);
    EXPECT_EQ(state.tools.dragMode, DragMode::Selecting);
    state.tools.dragMode = DragMode::None;
}

TEST_F(ShellTest, OptionsOrientationAndPropertiesRunTheirDialogs)
{
    QStringList titles;
    ui.dialogHandler = [&titles](QDialog& dialog) {
        titles << dialog.windowTitle();
        if (auto* orientation = dynamic_cast<COrientationDlg*>(&dialog))
            orientation->Button(1)->setChecked(true);
        if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("scanTimeEdit")))
            edit->setText(QStringLiteral("60"));
        dialog.accept();
        return dialog.result();
    };
    frame->UpdateCommandUi();
    frame->Action(ID_OPTIONS)->trigger();
    frame->Action(ID_ORIENTATION)->trigger();
    EXPECT_EQ(state.view.orientation, 1);
    EXPECT_FALSE(frame->Action(ID_PROPERTIES)->isEnabled()); // needs a pattern view

    frame->NewDocument();
    Settle();
    frame->UpdateCommandUi();
    frame->Action(ID_PROPERTIES)->trigger();
    EXPECT_EQ(state.tools.defaultScanTime, 60.0f);
    EXPECT_EQ(titles, (QStringList{"Options", "Orientation", "Radiography Selection Properties"}));
}

TEST_F(ShellTest, RightClickOnTheImageShowsTheContextMenu)
{
    frame->NewDocument();
    Settle();
    CVespiraView* view = frame->ActiveView();
    ASSERT_NE(view, nullptr);
    view->repaint();
    const QPoint cell = view->CellRect(3, 4).center();
    QTest::mouseClick(view, Qt::RightButton, {}, cell);
    Settle();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Texts(menu), (QStringList{"Copy", "-", "Zoom In", "Zoom Out", "Zoom Reset", "-",
                                        "3D Plot", "-", "Properties"}));
    EXPECT_TRUE(menu->actions().last()->isEnabled());
    EXPECT_EQ(docs.Documents()[0]->m_nZoomCol, 3);
    menu->close();
    Settle();
}
