#include "app/CCommandRouter.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QObject>

#include <gtest/gtest.h>

// The router on a plain QObject: no window anywhere.
class CommandRouterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        router.SetRouteCheck([this](CommandRoute route) {
            return route == CommandRoute::View ? viewOpen : childOpen;
        });
    }

    bool Enabled(int id) const { return router.Action(id)->isEnabled(); }

    QObject owner;
    CCommandRouter router{&owner};
    bool childOpen = false;
    bool viewOpen = false;
};

TEST_F(CommandRouterTest, EveryCommandOfTheTableHasOneActionWithItsKeysTipsAndCheckBox)
{
    ASSERT_EQ(router.Actions().size(), static_cast<qsizetype>(CommandTable().size()));
    for (const CommandInfo& info : CommandTable()) {
        QAction* action = router.Action(info.id);
        ASSERT_NE(action, nullptr) << info.id;
        EXPECT_EQ(action->parent(), &router);
        EXPECT_EQ(action->data().toInt(), info.id);
        EXPECT_EQ(action->text(), info.label) << info.id;
        EXPECT_EQ(action->shortcuts(), info.keys) << info.id;
        EXPECT_EQ(action->statusTip(), info.StatusTip()) << info.id;
        EXPECT_EQ(action->toolTip(), info.ToolTip()) << info.id;
        EXPECT_EQ(action->isCheckable(), info.checkable) << info.id;
        EXPECT_FALSE(action->isEnabled()) << info.id;
    }
    EXPECT_EQ(router.Action(12345), nullptr);
}

TEST_F(CommandRouterTest, ACommandIsEnabledOnlyWithAHandlerAndTheTargetOfItsRoute)
{
    for (int id : {ID_FILE_OPEN, ID_FILE_SAVE, ID_ZOOM_IN})
        router.SetCommandHandler(id, []() {});
    router.UpdateCommandUi();
    EXPECT_TRUE(Enabled(ID_FILE_OPEN)); // App: at any time
    EXPECT_FALSE(Enabled(ID_FILE_SAVE));
    EXPECT_FALSE(Enabled(ID_ZOOM_IN));
    EXPECT_FALSE(Enabled(ID_EDIT_CUT)); // no handler, ever

    childOpen = true;
    router.UpdateCommandUi();
    EXPECT_TRUE(Enabled(ID_FILE_SAVE));
    EXPECT_FALSE(Enabled(ID_ZOOM_IN));

    // Each route asks for its own target: a view without a child enables View commands only.
    childOpen = false;
    viewOpen = true;
    router.UpdateCommandUi();
    EXPECT_FALSE(Enabled(ID_FILE_SAVE));
    EXPECT_TRUE(Enabled(ID_ZOOM_IN));
    EXPECT_FALSE(Enabled(ID_EDIT_CUT));

    // Taking the handler away disables the command again.
    EXPECT_TRUE(router.HasCommandHandler(ID_ZOOM_IN));
    router.SetCommandHandler(ID_ZOOM_IN, nullptr);
    EXPECT_FALSE(router.HasCommandHandler(ID_ZOOM_IN));
    router.UpdateCommandUi();
    EXPECT_FALSE(Enabled(ID_ZOOM_IN));

    // Without a route check only App commands can be enabled.
    CCommandRouter unrouted(&owner);
    unrouted.SetCommandHandler(ID_FILE_OPEN, []() {});
    unrouted.SetCommandHandler(ID_FILE_SAVE, []() {});
    unrouted.UpdateCommandUi();
    EXPECT_TRUE(unrouted.Action(ID_FILE_OPEN)->isEnabled());
    EXPECT_FALSE(unrouted.Action(ID_FILE_SAVE)->isEnabled());
}

TEST_F(CommandRouterTest, TriggerRunsTheHandlerAndTheStatesFollowAtTheNextTurn)
{
    int opened = 0;
    // Opening makes a pattern window: the Child commands come on without being asked.
    router.SetCommandHandler(ID_FILE_OPEN, [this, &opened]() {
        ++opened;
        childOpen = true;
    });
    router.SetCommandHandler(ID_FILE_SAVE, []() {});
    router.UpdateCommandUi();
    router.Action(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(Enabled(ID_FILE_SAVE));
    QApplication::processEvents();
    EXPECT_TRUE(Enabled(ID_FILE_SAVE));
}

TEST_F(CommandRouterTest, UpdateHandlersSetCheckMarksAfterTheEnabledState)
{
    bool overlay = true;
    bool enabledWhenAsked = false;
    router.SetCommandHandler(ID_VIEW_OVERLAY, [&overlay]() { overlay = !overlay; });
    router.SetUpdateHandler(ID_VIEW_OVERLAY, [&](QAction& a) {
        enabledWhenAsked = a.isEnabled();
        a.setChecked(overlay);
    });
    viewOpen = true;
    router.UpdateCommandUi();
    EXPECT_TRUE(enabledWhenAsked);
    EXPECT_TRUE(router.Action(ID_VIEW_OVERLAY)->isChecked());

    router.Action(ID_VIEW_OVERLAY)->trigger();
    EXPECT_FALSE(overlay);
    router.UpdateCommandUi();
    EXPECT_FALSE(router.Action(ID_VIEW_OVERLAY)->isChecked());

    // The update handler runs whether or not the command can run.
    viewOpen = false;
    overlay = true;
    router.UpdateCommandUi();
    EXPECT_FALSE(enabledWhenAsked);
    EXPECT_TRUE(router.Action(ID_VIEW_OVERLAY)->isChecked());
}

TEST_F(CommandRouterTest, ContextMenuEntriesTriggerTheSharedCommandsAsEnabledNow)
{
    int zoomed = 0;
    router.SetCommandHandler(ID_ZOOM_IN, [&zoomed]() { ++zoomed; });
    router.SetCommandHandler(ID_EDIT_COPY, []() {});

    QMenu closed;
    router.FillContextMenu(closed);
    QStringList texts;
    for (QAction* a : closed.actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{"Copy", "-", "Zoom In", "Zoom Out", "Zoom Reset", "-", "3D Plot",
                                  "-", "Properties"}));
    EXPECT_FALSE(closed.actions()[2]->isEnabled());

    viewOpen = true;
    QMenu open;
    router.FillContextMenu(open);
    EXPECT_TRUE(open.actions()[0]->isEnabled());  // Copy
    EXPECT_TRUE(open.actions()[2]->isEnabled());  // Zoom In
    EXPECT_FALSE(open.actions()[3]->isEnabled()); // Zoom Out has no handler here
    EXPECT_EQ(open.actions()[2]->statusTip(), router.Action(ID_ZOOM_IN)->statusTip());
    open.actions()[2]->trigger();
    EXPECT_EQ(zoomed, 1);
}
