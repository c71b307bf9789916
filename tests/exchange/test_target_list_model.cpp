#include "exchange/CTargetListModel.h"

#include "document/CPatternFile.h"
#include "tests/document/TestPatterns.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class TargetListModelTest : public ::testing::Test, public DocFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(doc);
        doc->SetScanTime(3, 2, 12.6f);
        doc->SetScanTime(1, 0, 900.0f);
        doc->SetScanTime(0, 20, -5.0f); // from a file only; still listed as a target
        model.SetDocument(doc.get());
    }
    QString Cell(int row, int column) const
    {
        return model.data(model.index(row, column)).toString();
    }

    std::unique_ptr<CVespiraDoc> doc = NewDoc(0.0f, 10.0f, 0.5f, 0.0f, 5.0f, 0.25f);
    CTargetListModel model;
};

TEST_F(TargetListModelTest, RowsAreTheTargetsInListOrder)
{
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(Cell(0, CTargetListModel::IndexColumn), QStringLiteral("0"));
    EXPECT_EQ(Cell(0, CTargetListModel::XColumn), QStringLiteral("0.5"));
    EXPECT_EQ(Cell(0, CTargetListModel::YColumn), QStringLiteral("5.00"));
    EXPECT_EQ(Cell(0, CTargetListModel::TimeColumn), QStringLiteral("900"));
    EXPECT_EQ(Cell(1, CTargetListModel::XColumn), QStringLiteral("1.5"));
    EXPECT_EQ(Cell(1, CTargetListModel::YColumn), QStringLiteral("4.50"));
    EXPECT_EQ(Cell(1, CTargetListModel::TimeColumn), QStringLiteral("12.6"));
    EXPECT_EQ(Cell(2, CTargetListModel::TimeColumn), QStringLiteral("-5"));
    EXPECT_FALSE(model.data(model.index(3, 0)).isValid());
    EXPECT_EQ(model.RowOfGridIndex(doc->IndexOf(3, 2)), 1);
    EXPECT_EQ(model.RowOfGridIndex(doc->IndexOf(4, 2)), -1);
    EXPECT_EQ(model.GridIndexOfRow(0), doc->IndexOf(1, 0));
}

TEST_F(TargetListModelTest, OnlyTheTimeIsEditedAndOnlyUnderTheScanTimeRule)
{
    EXPECT_FALSE(model.flags(model.index(0, CTargetListModel::XColumn)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.index(0, CTargetListModel::TimeColumn)) & Qt::ItemIsEditable);
    doc->SetModifiedFlag(false);
    const QModelIndex time = model.index(1, CTargetListModel::TimeColumn);
    EXPECT_FALSE(model.setData(time, 0.5));
    EXPECT_FALSE(model.setData(time, 0.0));
    EXPECT_FALSE(model.setData(time, QStringLiteral("lots")));
    EXPECT_FALSE(model.setData(model.index(1, CTargetListModel::XColumn), 30.0));
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(3, 2)], 12.6f);
    EXPECT_FALSE(doc->IsModified());

    QSignalSpy relisted(&model, &CTargetListModel::rowsRelisted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(model.setData(time, 0.9));
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(3, 2)], 0.9f);
    EXPECT_TRUE(doc->IsModified());
    // The same targets: the rows stay, only their times are new.
    EXPECT_EQ(relisted.count(), 0);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(TargetListModelTest, RemovedRowsAreOneChangeAndOtherChangesAreFollowed)
{
    const unsigned before = doc->SelectionGeneration();
    model.RemoveRows({0, 2, 7});
    EXPECT_EQ(doc->SelectionGeneration(), before + 1);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Cell(0, CTargetListModel::XColumn), QStringLiteral("1.5"));
    EXPECT_EQ(doc->ScanCount(), 1);

    // A tool's change is seen at the next look.
    doc->SetScanTime(20, 0, 5.0f);
    EXPECT_EQ(model.rowCount(), 1);
    QSignalSpy relisted(&model, &CTargetListModel::rowsRelisted);
    model.Refresh();
    EXPECT_EQ(relisted.count(), 1);
    EXPECT_EQ(model.rowCount(), 2);

    // A new grid in the same document (the instrument loading a file) is listed anew.
    ASSERT_EQ(ReadPatternText(*doc, kExamplePattern), PatternReadResult::Ok);
    model.Refresh();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Cell(0, CTargetListModel::TimeColumn), QStringLiteral("900"));

    doc.reset();
    model.Refresh();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
