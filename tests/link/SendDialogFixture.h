#pragma once

#include "document/CVespiraDoc.h"
#include "link/PipeDirectory.h"
#include "link/dialogs/CSendTargetsDlg.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// What a Send-targets dialog works in: a pipe directory of its own, the program's state
// and one pattern.
class SendDialogFixture : public ::testing::Test
{
protected:
    void SetUpPattern(const ScanGrid& grid)
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("VESPIRA_PIPE_DIR", QFile::encodeName(dir.path()));
        path = dir.filePath(QLatin1String(kTargetSocketName)).toStdString();
        doc = std::make_unique<CVespiraDoc>(state);
        ASSERT_TRUE(doc->SetUpGrid(grid));
    }
    void TearDown() override { qunsetenv("VESPIRA_PIPE_DIR"); }

    static QPushButton* Button(CSendTargetsDlg& dlg, const char* name)
    {
        return dlg.findChild<QPushButton*>(QLatin1String(name));
    }

    QTemporaryDir dir;
    std::string path;
    CFakeHostUi ui;
    CTestProgram state{ui};
    std::unique_ptr<CVespiraDoc> doc;
};
