#pragma once

#include "app/CChildFrame.h"
#include "app/CDocManager.h"
#include "app/CMainFrame.h"
#include "app/CVespiraApp.h"
#include "document/ScanGrid.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A main window with its document manager, a scripted host and a temporary folder.
class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVespiraApp::SetStartupValues(state);
        frame = std::make_unique<CMainFrame>(state, docs, ui);
        frame->resize(900, 700);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        docs.promptSaveFileName = [this](const QString& suggested) {
            suggestedNames << suggested;
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        };
        docs.promptOpenFileName = [this](const QString&) {
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        };
    }
    void TearDown() override
    {
        frame.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void Settle()
    {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    static QStringList Texts(const QMenu* menu)
    {
        QStringList texts;
        for (QAction* a : menu->actions()) {
            if (!a->isVisible())
                continue;
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        return texts;
    }
    QStringList MenuTitles() const
    {
        QStringList titles;
        for (QMenu* m : frame->CurrentMenus())
            titles << m->title();
        return titles;
    }
    QMenu* Menu(const QString& title) const
    {
        for (QMenu* m : frame->CurrentMenus())
            if (m->title() == title)
                return m;
        return nullptr;
    }
    // A 10 x 10 pattern in a window of its own, as a scan's NEWIMAGE makes one.
    CVespiraDoc* NewTenByTen()
    {
        ScanGrid grid{0, 0, 0.0f, 9.0f, 1.0f, 0.0f, 9.0f, 1.0f};
        ComputeGridCounts(grid);
        state.liveScan.SetPendingGrid(grid);
        CVespiraDoc* doc = frame->NewDocument();
        Settle();
        return doc;
    }
    QString TempPath(const QString& name) const { return tmp.path() + QLatin1Char('/') + name; }

    CFakeHostUi ui;
    CTestProgram state{ui};
    CDocManager docs{state.services, state.View(), ui};
    std::unique_ptr<CMainFrame> frame;
    QTemporaryDir tmp;
    QStringList saveAnswers;
    QStringList openAnswers;
    QStringList suggestedNames;
};
