#include "exchange/CTargetListModel.h"

#include "base/NumberText.h"
#include "document/CVespiraDoc.h"
#include "document/ScanTimeRule.h"
#include "exchange/TargetCsv.h"

#include <algorithm>

CTargetListModel::CTargetListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CTargetListModel::SetDocument(CVespiraDoc* doc)
{
    if (doc == m_pDoc && Current())
        return;
    beginResetModel();
    m_pDoc = doc;
    Relist();
    endResetModel();
    emit rowsRelisted();
    emit summaryChanged();
}

bool CTargetListModel::Current() const
{
    return m_pDoc != nullptr && m_pDoc->SelectionGeneration() == m_nGeneration &&
           m_pDoc->m_pScanTime.data() == m_pArrays;
}

void CTargetListModel::Relist()
{
    m_targets.clear();
    m_pArrays = nullptr;
    if (m_pDoc == nullptr)
        return;
    const CVespiraDoc& doc = *m_pDoc;
    m_nGeneration = doc.SelectionGeneration();
    m_pArrays = doc.m_pScanTime.data();
    m_nXDecimals = AxisDecimals(doc.m_fXInc, doc.m_fXBeg);
    m_nYDecimals = AxisDecimals(doc.m_fYInc, doc.m_fYEnd);
    const std::size_t count =
        std::min(doc.m_pScanTime.size(), static_cast<std::size_t>(doc.PointCount()));
    for (std::size_t i = 0; i < count; ++i)
        if (doc.m_pScanTime[i] != 0.0f)
            m_targets.push_back(static_cast<int>(i));
}

void CTargetListModel::Refresh()
{
    if (m_pDoc == nullptr) {
        if (!m_targets.empty())
            SetDocument(nullptr);
        return;
    }
    if (Current())
        return;
    const CVespiraDoc& doc = *m_pDoc;
    // The same points still targets: only times changed, and the rows and their selection
    // stay.
    const bool samePoints =
        doc.m_pScanTime.data() == m_pArrays &&
        std::all_of(
            m_targets.begin(), m_targets.end(),
            [&doc](int i) { return doc.m_pScanTime[static_cast<std::size_t>(i)] != 0.0f; }) &&
        static_cast<std::size_t>(std::count_if(doc.m_pScanTime.begin(), doc.m_pScanTime.end(),
                                               [](float t) { return t != 0.0f; })) ==
            m_targets.size();
    if (samePoints) {
        m_nGeneration = doc.SelectionGeneration();
        if (!m_targets.empty())
            emit dataChanged(index(0, TimeColumn), index(Count() - 1, TimeColumn));
        emit summaryChanged();
        return;
    }
    beginResetModel();
    Relist();
    endResetModel();
    emit rowsRelisted();
    emit summaryChanged();
}

int CTargetListModel::GridIndexOfRow(int row) const
{
    return row >= 0 && row < Count() ? m_targets[static_cast<std::size_t>(row)] : -1;
}

int CTargetListModel::RowOfGridIndex(int gridIndex) const
{
    const auto it = std::lower_bound(m_targets.begin(), m_targets.end(), gridIndex);
    return it != m_targets.end() && *it == gridIndex ? static_cast<int>(it - m_targets.begin())
                                                     : -1;
}

void CTargetListModel::RemoveRows(const std::vector<int>& rows)
{
    if (m_pDoc == nullptr)
        return;
    std::vector<PointTime> changes;
    changes.reserve(rows.size());
    for (int row : rows)
        if (const int gridIndex = GridIndexOfRow(row); gridIndex >= 0)
            changes.push_back({gridIndex, 0.0f});
    m_pDoc->SetScanTimes(changes, QStringLiteral("Remove Targets"));
    Refresh();
}

int CTargetListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int CTargetListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CTargetListModel::data(const QModelIndex& index, int role) const
{
    const int gridIndex = GridIndexOfRow(index.row());
    if (gridIndex < 0 || m_pDoc == nullptr ||
        static_cast<std::size_t>(gridIndex) >= m_pDoc->m_pScanTime.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const CVespiraDoc& doc = *m_pDoc;
    const int col = gridIndex % doc.m_nXPoints;
    const int row = gridIndex / doc.m_nXPoints;
    switch (index.column()) {
    case IndexColumn:
        return index.row();
    case XColumn:
        return QString::fromStdString(FormatFixed(doc.XOf(col), m_nXDecimals));
    case YColumn:
        return QString::fromStdString(FormatFixed(doc.YOf(row), m_nYDecimals));
    case TimeColumn:
        return QString::fromStdString(
            ScanTimeText(doc.m_pScanTime[static_cast<std::size_t>(gridIndex)]));
    default:
        return {};
    }
}

QVariant CTargetListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case IndexColumn:
        return QStringLiteral("Index");
    case XColumn:
        return QStringLiteral("X (mm)");
    case YColumn:
        return QStringLiteral("Y (mm)");
    case TimeColumn:
        return QStringLiteral("Time (s)");
    default:
        return {};
    }
}

Qt::ItemFlags CTargetListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == TimeColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CTargetListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int gridIndex = GridIndexOfRow(index.row());
    if (role != Qt::EditRole || index.column() != TimeColumn || gridIndex < 0 || m_pDoc == nullptr)
        return false;
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    const std::optional<float> time = isNumber ? AcceptedScanTime(number) : std::nullopt;
    if (!time)
        return false;
    const PointTime change{gridIndex, *time};
    m_pDoc->SetScanTimes({&change, 1}, QStringLiteral("Edit Scan Time"));
    Refresh();
    return true;
}
