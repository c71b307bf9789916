#include "base/FixedText.h"
#include "document/CTargetHistory.h"
#include "tests/common/CRecordingView.h"
#include "tests/document/TestPatterns.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

class DocumentTest : public ::testing::Test, protected DocFixture
{
protected:
    // A view draws every cell its pattern reports changed.
    static void Follow(CVespiraDoc& doc, CRecordingView& view)
    {
        QObject::connect(&doc, &CVespiraDoc::cellChanged,
                         [&view](int col, int row) { view.DrawCell(col, row); });
    }
};

TEST_F(DocumentTest, PointRuleFindsTheCellOfAPosition)
{
    auto doc = NewDoc(0.0f, 10.0f, 0.5f, 0.0f, 5.0f, 0.25f);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->m_nXPoints, 21);
    EXPECT_EQ(doc->m_nYPoints, 21);
    EXPECT_EQ(doc->ColumnOf(0.0f), 0);
    EXPECT_EQ(doc->RowOf(5.0f), 0);
    EXPECT_EQ(doc->ColumnOf(10.0f), 20);
    EXPECT_EQ(doc->RowOf(0.0f), 20);
    EXPECT_EQ(doc->ColumnOf(0.74f), 1);
    EXPECT_EQ(doc->RowOf(4.9f), 0);
    EXPECT_DOUBLE_EQ(doc->XOf(3), 1.5);
    EXPECT_DOUBLE_EQ(doc->YOf(4), 4.0);
}

TEST_F(DocumentTest, GridCountsRefuseWhatCannotBeAllocated)
{
    EXPECT_EQ(GridPointCount(-5.0f, 5.0f, 0.2f), 51);
    EXPECT_EQ(GridPointCount(0.0f, 1.0f, 0.0f), -1);
    EXPECT_EQ(GridPointCount(0.0f, 1.0f, std::numeric_limits<float>::quiet_NaN()), -1);
    EXPECT_EQ(GridPointCount(0.0f, 1e30f, 1e-30f), -1);

    ScanGrid grid{0, 0, 0.0f, 4095.0f, 1.0f, 0.0f, 4095.0f, 1.0f};
    EXPECT_TRUE(ComputeGridCounts(grid)); // 4096 x 4096, the largest pattern
    grid = ScanGrid{0, 0, 0.0f, 4096.0f, 1.0f, 0.0f, 4095.0f, 1.0f};
    EXPECT_FALSE(ComputeGridCounts(grid));
    EXPECT_EQ(grid.nXPoints, 4097) << "the counts stay for the message";
    grid = ScanGrid{0, 0, 0.0f, 7999.0f, 1.0f, 0.0f, 9999.0f, 1.0f};
    EXPECT_FALSE(ComputeGridCounts(grid));
    grid = ScanGrid{0, 0, 0.0f, 1.0f, -1.0f, 0.0f, 1.0f, 1.0f};
    EXPECT_FALSE(ComputeGridCounts(grid)); // count below 1
}

TEST_F(DocumentTest, AGridMustFitInTheAvailableMemoryWithAReserve)
{
    QTemporaryDir dir;
    const QString meminfo = dir.filePath("meminfo");
    QFile file(meminfo);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("MemTotal:       24683716 kB\nMemFree:  100 kB\nMemAvailable:    2048 kB\n");
    file.close();
    EXPECT_EQ(ReadAvailableMemory(QFile::encodeName(meminfo).constData()), 2048u * 1024u);
    EXPECT_EQ(ReadAvailableMemory(QFile::encodeName(dir.filePath("none")).constData()),
              std::nullopt);
    EXPECT_TRUE(ReadAvailableMemory().has_value()) << "the system's own figure";

    // 1000 x 1000 points: three arrays of 4 bytes each.
    state.liveScan.SetPendingGrid(ScanGrid{1000, 1000, 0.0f, 999.0f, 1.0f, 0.0f, 999.0f, 1.0f});
    const std::uint64_t arrays = 12'000'000;
    state.services.availableMemory = [&] {
        return std::optional<std::uint64_t>(arrays + kMemoryReserve);
    };
    EXPECT_TRUE(GridFitsInMemory(state.liveScan.PendingGrid(), state.services.availableMemory()));
    CVespiraDoc fits(state);
    EXPECT_TRUE(fits.OnNewDocument());

    state.services.availableMemory = [&] {
        return std::optional<std::uint64_t>(arrays + kMemoryReserve - 1);
    };
    CVespiraDoc refused(state);
    EXPECT_FALSE(refused.OnNewDocument());
    EXPECT_TRUE(refused.m_pIntensity.empty());
    EXPECT_EQ(state.liveScan.Document(), &fits);
    EXPECT_TRUE(ui.messages.isEmpty());

    // A system that does not say leaves the allocation itself to decide.
    state.services.availableMemory = [] { return std::optional<std::uint64_t>(); };
    CVespiraDoc unknown(state);
    EXPECT_TRUE(unknown.OnNewDocument());
}

TEST_F(DocumentTest, NewDocumentFromTheStartUpGrid)
{
    CVespiraDoc doc(state);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.m_nXPoints, 51);
    EXPECT_EQ(doc.m_nYPoints, 51);
    EXPECT_FLOAT_EQ(doc.m_fXBeg, -5.0f);
    EXPECT_FLOAT_EQ(doc.m_fYEnd, 5.0f);
    EXPECT_FLOAT_EQ(doc.m_fXInc, 0.2f);
    EXPECT_EQ(doc.m_pIntensity.size(), 51u * 51u);
    EXPECT_EQ(std::count(doc.m_pIntensity.begin(), doc.m_pIntensity.end(), 0), 51 * 51);
    EXPECT_EQ(state.liveScan.Document(), &doc);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nMaxIntensity, 63);
    EXPECT_EQ(doc.m_nCellSize, -1);
    EXPECT_EQ(doc.m_nLastCol, 50);
    EXPECT_EQ(doc.m_nLastRow, 50);
    EXPECT_STREQ(doc.m_szCreatedDate, doc.m_szModifiedDate);
    EXPECT_EQ(std::strlen(doc.m_szCreatedTime), 8u);
    EXPECT_STREQ(doc.m_szLutName, "default");
}

TEST_F(DocumentTest, NewDocumentTakesTheCurrentDisplaySettings)
{
    CopyText(state.colours.display.szLutName, "rainbow");
    state.colours.display.nBrightness = 12;
    state.colours.display.displayColors[7] = Rgb(1, 2, 3);
    auto doc = NewDoc(0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    ASSERT_TRUE(doc);
    EXPECT_STREQ(doc->m_szLutName, "rainbow");
    EXPECT_EQ(doc->m_nBrightness, 12);
    EXPECT_EQ(doc->m_DisplayColors[7], Rgb(1, 2, 3));
}

TEST_F(DocumentTest, RefusedGridsMakeNoDocument)
{
    auto first = NewDoc(0.0f, 1.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(first);

    ScanGrid noColumns = state.liveScan.PendingGrid();
    noColumns.nXPoints = 0;
    state.liveScan.SetPendingGrid(noColumns);
    CVespiraDoc empty(state);
    EXPECT_FALSE(empty.OnNewDocument());
    EXPECT_EQ(state.liveScan.Document(), first.get());
    EXPECT_TRUE(ui.messages.isEmpty());

    state.liveScan.SetPendingGrid(ScanGrid{10000, 10000, 0.0f, 9999.0f, 1.0f, 0.0f, 9999.0f, 1.0f});
    CVespiraDoc huge(state);
    EXPECT_FALSE(huge.OnNewDocument());
    EXPECT_TRUE(huge.m_pIntensity.empty());
    EXPECT_EQ(state.liveScan.Document(), first.get());

    state.liveScan.SetPendingGrid(ScanGrid{3, 3, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.5f});
    CVespiraDoc zeroStep(state);
    EXPECT_FALSE(zeroStep.OnNewDocument());
}

TEST_F(DocumentTest, SetPointIntensityRaisesTheMaximumOnly)
{
    auto doc = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(doc);
    CRecordingView view(doc.get());
    Follow(*doc, view);
    doc->SetModifiedFlag(false);

    for (int value : {5, 3, 9})
        EXPECT_TRUE(doc->SetPointIntensity(0.5f, 1.0f, value));
    EXPECT_EQ(doc->m_nMaxIntensity, 63);
    EXPECT_TRUE(doc->SetPointIntensity(1.0f, 0.5f, 100));
    EXPECT_EQ(doc->m_nMaxIntensity, 100);
    EXPECT_TRUE(doc->SetPointIntensity(1.0f, 0.5f, 80));
    EXPECT_EQ(doc->m_nMaxIntensity, 100);
    EXPECT_EQ(doc->m_pIntensity[doc->IndexOf(1, 0)], 9);
    EXPECT_EQ(doc->m_pIntensity[doc->IndexOf(2, 1)], 80);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(view.calls.size(), 5u);
    EXPECT_EQ(view.calls.back(), "Cell 2,1");
}

TEST_F(DocumentTest, SetPointIntensityOutsideTheGridStoresNothing)
{
    auto doc = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(doc);
    CRecordingView view(doc.get());
    Follow(*doc, view);
    const auto before = doc->m_pIntensity;
    EXPECT_FALSE(doc->SetPointIntensity(50.0f, 0.0f, 7));
    EXPECT_FALSE(doc->SetPointIntensity(0.0f, -40.0f, 7));
    EXPECT_FALSE(doc->SetPointIntensity(1e30f, 0.0f, 7));
    EXPECT_FALSE(doc->SetPointIntensity(std::numeric_limits<float>::quiet_NaN(), 0.0f, 7));
    EXPECT_EQ(doc->m_pIntensity, before);
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(DocumentTest, APointIsStoredInTheDocumentItIsGiven)
{
    auto first = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    auto second = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(state.liveScan.Document(), second.get());
    CRecordingView firstView(first.get());
    CRecordingView secondView(second.get());
    Follow(*first, firstView);
    Follow(*second, secondView);

    EXPECT_TRUE(first->SetPointIntensity(0.5f, 1.0f, 7));
    EXPECT_EQ(first->m_pIntensity[first->IndexOf(1, 0)], 7);
    EXPECT_EQ(std::count(second->m_pIntensity.begin(), second->m_pIntensity.end(), 7), 0);
    EXPECT_EQ(firstView.calls, std::vector<std::string>{"Cell 1,0"});
    EXPECT_TRUE(secondView.calls.empty());

    state.liveScan.Forget();
    EXPECT_TRUE(first->SetPointIntensity(0.0f, 0.0f, 8)) << "no active pattern is needed";
}

TEST_F(DocumentTest, ClearAllAndUndo)
{
    auto doc = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(doc);
    doc->SetScanTime(1, 0, 900.0f);
    doc->SetScanTime(2, 1, 30.0f);
    doc->SetScanTime(4, 1, -5.0f);
    doc->SetModifiedFlag(false);
    const auto selection = doc->m_pScanTime;

    EXPECT_EQ(doc->ScanCount(), 2);
    EXPECT_DOUBLE_EQ(doc->TotalScanTime(), 925.0);

    doc->ClearAll();
    EXPECT_EQ(doc->ScanCount(), 0);
    EXPECT_DOUBLE_EQ(doc->TotalScanTime(), 0.0);
    EXPECT_TRUE(doc->IsModified());
    doc->Undo();
    EXPECT_EQ(doc->m_pScanTime, selection);
    EXPECT_EQ(doc->ScanCount(), 2);
    EXPECT_DOUBLE_EQ(doc->TotalScanTime(), 925.0);
    doc->Undo();
    EXPECT_EQ(doc->m_pScanTime, selection);
    EXPECT_FALSE(doc->IsModified());

    // Targets picked after a Clear All are a step of their own: one Undo takes them back,
    // the next the Clear All.
    doc->ClearAll();
    doc->BeginTargetStep(QStringLiteral("Point"));
    doc->SetScanTime(3, 0, 12.0f);
    doc->EndTargetStep();
    doc->Undo();
    EXPECT_EQ(doc->ScanCount(), 0);
    doc->Undo();
    EXPECT_EQ(doc->m_pScanTime, selection);

    // A new pattern's history is empty.
    auto fresh = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->History().CanUndo());
    fresh->BeginTargetStep(QStringLiteral("Point"));
    fresh->SetScanTime(4, 0, 900.0f);
    fresh->EndTargetStep();
    fresh->Undo();
    EXPECT_EQ(fresh->ScanCount(), 0);
    EXPECT_EQ(std::count(fresh->m_pScanTime.begin(), fresh->m_pScanTime.end(), 0.0f),
              fresh->PointCount());
}

TEST_F(DocumentTest, RunningCountAndTotalFollowEveryChange)
{
    auto doc = NewDoc(0.0f, 9.5f, 0.5f, 0.0f, 9.5f, 0.5f);
    ASSERT_TRUE(doc);
    std::mt19937 random(3);
    std::uniform_int_distribution<int> point(0, 19);
    const float times[] = {0.0f, 900.0f, 0.9f, 12.6f, -5.0f, 0.0f, 1e5f};
    for (int i = 0; i < 2000; ++i) {
        doc->SetScanTime(point(random), point(random), times[i % 7]);
        if (i % 97 == 0 || i == 1999) {
            const int count = static_cast<int>(std::count_if(
                doc->m_pScanTime.begin(), doc->m_pScanTime.end(), [](float t) { return t > 0; }));
            const double total =
                std::accumulate(doc->m_pScanTime.begin(), doc->m_pScanTime.end(), 0.0);
            ASSERT_EQ(doc->ScanCount(), count) << i;
            ASSERT_EQ(doc->TotalScanTime(), total) << i;
        }
    }
    // A time that is not a number leaves no trace in the total once it is replaced.
    doc->SetScanTime(3, 3, std::numeric_limits<float>::quiet_NaN());
    doc->SetScanTime(3, 3, 0.0f);
    EXPECT_TRUE(std::isfinite(doc->TotalScanTime()));
    // Points outside the grid are refused.
    const auto before = doc->m_pScanTime;
    doc->SetScanTime(20, 0, 900.0f);
    doc->SetScanTime(0, -1, 900.0f);
    EXPECT_EQ(doc->m_pScanTime, before);
}

TEST_F(DocumentTest, ClosingTheActiveDocumentWarnsWhileCollecting)
{
    auto doc = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    ASSERT_TRUE(doc);
    state.liveScan.SetPointsRemaining(3);
    int saves = 0;
    doc->saveHandler = [&] { return ++saves, true; };

    ui.answers = {IHostUi::Answer::Cancel};
    EXPECT_FALSE(doc->SaveModified());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], "WARNING: Radiography pattern is still being collected.\n"
                              "\tOK\twill continue with command (abort data collection).\n"
                              "\tCancel\twill cancel your command (return to application).");

    ui.answers = {IHostUi::Answer::Ok, IHostUi::Answer::Yes};
    EXPECT_TRUE(doc->SaveModified());
    ASSERT_EQ(ui.messages.size(), 3);
    EXPECT_EQ(ui.messages[2], "Save changes to " + doc->GetTitle() + "?");
    EXPECT_EQ(saves, 1);

    ui.answers = {IHostUi::Answer::Ok, IHostUi::Answer::Cancel};
    EXPECT_FALSE(doc->SaveModified());
}

TEST_F(DocumentTest, ClosingAnotherDocumentNeverWarns)
{
    auto active = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    auto other = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    state.liveScan.SetActive(active.get());
    state.liveScan.SetPointsRemaining(3);
    other->SetTitle("ORMA2");
    other->SetPathName("/data/p.rad");
    ui.answers = {IHostUi::Answer::No};
    EXPECT_TRUE(other->SaveModified());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], "Save changes to p.rad?");

    other->SetModifiedFlag(false);
    EXPECT_TRUE(other->SaveModified());
    EXPECT_EQ(ui.messages.size(), 1);
}

TEST_F(DocumentTest, CloseReleasesTheActiveStateAndTheMarker)
{
    auto doc = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
    CRecordingView view(doc.get());
    state.liveScan.SetView(&view);
    state.liveScan.SetPointsRemaining(4);
    state.liveScan.SetMarker(1, 1);
    int changes = 0;
    QObject::connect(&state.liveScan, &CLiveScan::activeChanged, [&changes]() { ++changes; });

    doc->OnCloseDocument();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(state.liveScan.Marker().on);
    EXPECT_EQ(state.liveScan.Document(), nullptr);
    EXPECT_EQ(state.liveScan.View(), nullptr);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 4);
    EXPECT_TRUE(doc->m_pIntensity.empty());
}
