#pragma once

#include "document/CVespiraDoc.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

// The targets of one pattern as a table: index, X mm, Y mm, scan time s, one row per
// target in the order targets are listed. The rows are read from the pattern's arrays as
// they are shown, so a list of hundreds of thousands of targets costs one index per row.
class CTargetListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        IndexColumn,
        XColumn,
        YColumn,
        TimeColumn,
        ColumnCount
    };

    explicit CTargetListModel(QObject* parent = nullptr);

    // The pattern listed; none lists nothing.
    void SetDocument(CVespiraDoc* doc);
    CVespiraDoc* Document() const { return m_pDoc; }
    // Takes the pattern's targets again if they changed since the last look: a change of
    // times only updates the time column, any other change lists the rows anew.
    void Refresh();

    // The grid index of a row's target; -1 for a row that is not there.
    int GridIndexOfRow(int row) const;
    // The row of the target at a grid index; -1 when that point is no target.
    int RowOfGridIndex(int index) const;
    int Count() const { return static_cast<int>(m_targets.size()); }

    // The targets of the rows removed from the pattern, as one change.
    void RemoveRows(const std::vector<int>& rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A new scan time (a number) for a row's target, accepted by the scan-time rule.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The rows were listed anew (the selection of a view over them is gone).
    void rowsRelisted();
    // The count or total time may have changed.
    void summaryChanged();

private:
    void Relist();
    bool Current() const;

    QPointer<CVespiraDoc> m_pDoc;
    std::vector<int> m_targets;
    unsigned m_nGeneration = 0;
    const void* m_pArrays = nullptr;
    int m_nXDecimals = 0;
    int m_nYDecimals = 0;
};
