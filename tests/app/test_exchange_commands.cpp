// The target list dock and the File commands that take data in and out, on the real main
// window.
#include "app/CExchangeCommands.h"
#include "app/CTargetMarks.h"
#include "app/CTargetPanel.h"
#include "app/CommandIds.h"
#include "document/CPatternFile.h"
#include "exchange/CTargetListModel.h"
#include "exchange/Hdf5Handle.h"
#include "exchange/NexusFile.h"
#include "tests/app/ShellFixture.h"
#include "view/CVespiraView.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTableView>

namespace {

class ExchangeTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        commands = frame->findChild<CExchangeCommands*>();
        ASSERT_NE(commands, nullptr);
        commands->promptSaveFileName = [this](const QString&, const QString&, const QString&) {
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        };
        commands->promptOpenFileName = [this](const QString&, const QString&) {
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        };
        doc = docs.OpenDocumentFile(VESPIRA_EXAMPLES "/small.rad");
        ASSERT_NE(doc, nullptr);
        Settle();
    }

    CTargetPanel& Panel() { return commands->Panel(); }
    void ShowPanel()
    {
        frame->UpdateCommandUi();
        frame->Action(ID_VIEW_TARGET_LIST)->trigger();
        Settle();
        ASSERT_TRUE(Panel().isVisible());
    }
    CVespiraView* View() { return frame->ActiveView(); }
    CTargetMarks* Marks() { return View()->findChild<CTargetMarks*>(); }
    void ChooseRow(int row)
    {
        Panel().Table().selectionModel()->select(Panel().Model().index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    }
    QString WriteText(const QString& name, const QByteArray& text)
    {
        QFile file(TempPath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }

    CExchangeCommands* commands = nullptr;
    CVespiraDoc* doc = nullptr;
};

TEST_F(ExchangeTest, TheTargetListShowsThePatternOfTheActiveWindow)
{
    EXPECT_FALSE(Panel().isVisible());
    ShowPanel();
    EXPECT_TRUE(frame->Action(ID_VIEW_TARGET_LIST)->isChecked());
    ASSERT_EQ(Panel().Model().rowCount(), 1);
    EXPECT_EQ(Panel().Model().data(Panel().Model().index(0, CTargetListModel::XColumn)),
              QStringLiteral("0.5"));
    EXPECT_EQ(Panel().SummaryText(), QStringLiteral("1 target, total time 900.0 s"));

    // A tool's change reaches the list without anyone telling it.
    doc->SetScanTime(4, 0, 30.0f);
    QTest::qWait(400);
    EXPECT_EQ(Panel().Model().rowCount(), 2);
    EXPECT_EQ(Panel().SummaryText(), QStringLiteral("2 targets, total time 930.0 s"));

    CVespiraDoc* fresh = frame->NewDocument();
    Settle();
    EXPECT_EQ(Panel().Model().Document(), fresh);
    EXPECT_EQ(Panel().Model().rowCount(), 0);

    frame->Action(ID_VIEW_TARGET_LIST)->trigger();
    EXPECT_FALSE(Panel().isVisible());
}

TEST_F(ExchangeTest, ChosenRowsAreOutlinedAndAClickOnATargetChoosesItsRow)
{
    doc->SetScanTime(4, 0, 30.0f);
    ShowPanel();
    ASSERT_NE(Marks(), nullptr);
    ChooseRow(1);
    EXPECT_EQ(Marks()->Marked(), (std::vector<int>{doc->IndexOf(1, 2)}));

    Panel().Table().clearSelection();
    EXPECT_TRUE(Marks()->Marked().empty());
    const QRect cell = View()->CellRect(4, 0);
    ASSERT_FALSE(cell.isEmpty());
    QTest::mouseClick(View(), Qt::LeftButton, {}, cell.center());
    Settle();
    const QModelIndexList chosen = Panel().Table().selectionModel()->selectedRows();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.front().row(), 0);
    EXPECT_EQ(Marks()->Marked(), (std::vector<int>{doc->IndexOf(4, 0)}));
}

TEST_F(ExchangeTest, DeleteInTheListRemovesTheChosenTargetsAsOneChange)
{
    doc->SetScanTime(4, 0, 30.0f);
    doc->SetScanTime(0, 0, 40.0f);
    ShowPanel();
    const CursorTool tool = state.tools.tool;
    Panel().Table().setFocus();
    Panel().Table().selectionModel()->select(
        QItemSelection(Panel().Model().index(0, 0), Panel().Model().index(1, 3)),
        QItemSelectionModel::ClearAndSelect);
    const unsigned before = doc->SelectionGeneration();
    QTest::keyClick(&Panel().Table(), Qt::Key_Delete);
    EXPECT_EQ(state.tools.tool, tool) << "Delete chose the Eraser instead";
    EXPECT_EQ(doc->SelectionGeneration(), before + 1);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(0, 0)], 0.0f);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(4, 0)], 0.0f);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(1, 2)], 900.0f);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(Panel().Model().rowCount(), 1);
    EXPECT_EQ(Panel().SummaryText(), QStringLiteral("1 target, total time 900.0 s"));
}

TEST_F(ExchangeTest, ATimeEditedInPlaceFollowsTheSelectionPropertiesRule)
{
    ShowPanel();
    QTableView& table = Panel().Table();
    const QModelIndex time = Panel().Model().index(0, CTargetListModel::TimeColumn);
    const auto enter = [&](const QString& text) {
        table.setCurrentIndex(time);
        table.edit(time);
        auto* editor = table.findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        Settle();
    };
    const QString range =
        QStringLiteral("Scan time must be greater than 0.9 and at most 1000000 seconds");
    enter(QStringLiteral("1e30"));
    EXPECT_EQ(ui.messages.value(0), range);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(1, 2)], 900.0f);
    ui.messages.clear();
    enter(QStringLiteral("0.5"));
    EXPECT_EQ(ui.messages.value(0), range);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(1, 2)], 900.0f);
    enter(QStringLiteral("12.6 s"));
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(1, 2)], 12.6f);
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(Panel().SummaryText(), QStringLiteral("1 target, total time 12.6 s"));
}

TEST_F(ExchangeTest, AnImportWithBadRowsIsAppliedOnlyWhenTheUserAgrees)
{
    const QString list =
        WriteText(QStringLiteral("list.csv"), "x_mm,y_mm,time_s\n0.0,1.0,20\n9,9,20\n2.0,0.0,30\n");
    openAnswers << list;
    ui.questionAnswers << 1; // Cancel
    EXPECT_FALSE(commands->OnImportTargets(*doc));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(
        ui.messages[0].contains(QStringLiteral("line 3: X 9 mm, Y 9 mm lies outside the grid")))
        << ui.messages[0].toStdString();
    EXPECT_EQ(doc->ScanCount(), 1);

    openAnswers << list;
    ui.questionAnswers << 0; // Import
    EXPECT_TRUE(commands->OnImportTargets(*doc));
    EXPECT_EQ(doc->ScanCount(), 3);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(0, 0)], 20.0f);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(4, 2)], 30.0f);

    openAnswers << WriteText(QStringLiteral("other.csv"), "1,2,3\n");
    EXPECT_FALSE(commands->OnImportTargets(*doc));
    EXPECT_TRUE(ui.messages.last().startsWith(QStringLiteral("other.csv is not a target list")));
}

TEST_F(ExchangeTest, ExportedTargetsAndPatternsComeBackTheSame)
{
    doc->SetScanTime(3, 1, 12.6f);
    saveAnswers << TempPath(QStringLiteral("t.csv"));
    ASSERT_TRUE(commands->OnExportTargets(*doc));
    saveAnswers << TempPath(QStringLiteral("p.nxs"));
    ASSERT_TRUE(commands->OnFileExport(*doc));
    saveAnswers << TempPath(QStringLiteral("p.tif"));
    ASSERT_TRUE(commands->OnFileExport(*doc));
    QFile tiff(TempPath(QStringLiteral("p.tif")));
    ASSERT_TRUE(tiff.open(QIODevice::ReadOnly));
    EXPECT_EQ(tiff.read(4), QByteArray("II*\0", 4));

    // File Open takes the NeXus file by its signature, as a new pattern without a file.
    CVespiraDoc* map = docs.OpenDocumentFile(QFile::encodeName(TempPath(QStringLiteral("p.nxs"))));
    ASSERT_NE(map, nullptr);
    ASSERT_NE(map, doc);
    EXPECT_EQ(map->GetTitle(), QStringLiteral("p"));
    EXPECT_TRUE(map->GetPathName().isEmpty());
    EXPECT_FALSE(map->IsModified());
    EXPECT_EQ(PatternFileText(*map), PatternFileText(*doc));

    ui.questionAnswers << 0;
    openAnswers << TempPath(QStringLiteral("t.csv"));
    map->SetScanTimes(
        std::vector<PointTime>{{map->IndexOf(1, 2), 0.0f}, {map->IndexOf(3, 1), 0.0f}},
        QStringLiteral("Remove Targets"));
    ASSERT_EQ(map->ScanCount(), 0);
    ASSERT_TRUE(commands->OnImportTargets(*map));
    EXPECT_TRUE(
        std::equal(map->m_pScanTime.begin(), map->m_pScanTime.end(), doc->m_pScanTime.begin()));
    // Save asks for a pattern file rather than writing over the HDF5 file.
    saveAnswers.clear();
    EXPECT_FALSE(docs.DoFileSave(map));
    EXPECT_EQ(suggestedNames.value(0), QStringLiteral("p.rad"));
}

TEST_F(ExchangeTest, AnHdf5FileThatIsNoMapIsRefusedWithTheReason)
{
    {
        CHdf5Handle file(
            H5Fcreate(QFile::encodeName(TempPath(QStringLiteral("cube.h5"))).constData(),
                      H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT));
        CHdf5Handle data(H5Gcreate2(file.Id(), "data", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        CHdf5Handle type(H5Tcopy(H5T_C_S1));
        H5Tset_size(type.Id(), 6);
        CHdf5Handle scalar(H5Screate(H5S_SCALAR));
        CHdf5Handle nxClass(
            H5Acreate2(data.Id(), "NX_class", type.Id(), scalar.Id(), H5P_DEFAULT, H5P_DEFAULT));
        H5Awrite(nxClass.Id(), type.Id(), "NXdata");
        CHdf5Handle signal(
            H5Acreate2(data.Id(), "signal", type.Id(), scalar.Id(), H5P_DEFAULT, H5P_DEFAULT));
        H5Awrite(signal.Id(), type.Id(), "counts");
        const hsize_t dims[3] = {2, 2, 2};
        CHdf5Handle space(H5Screate_simple(3, dims, nullptr));
        CHdf5Handle set(H5Dcreate2(data.Id(), "counts", H5T_STD_I32LE, space.Id(), H5P_DEFAULT,
                                   H5P_DEFAULT, H5P_DEFAULT));
    }
    const std::size_t before = docs.Documents().size();
    EXPECT_EQ(docs.OpenDocumentFile(QFile::encodeName(TempPath(QStringLiteral("cube.h5")))),
              nullptr);
    EXPECT_EQ(docs.Documents().size(), before);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], QStringLiteral("cube.h5 cannot be opened: its signal has 3 "
                                             "dimensions; only a 2-D map (rows by columns) can "
                                             "be opened."));
}

} // namespace
