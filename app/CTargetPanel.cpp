#include "app/CTargetPanel.h"

#include "app/CTargetMarks.h"
#include "base/NumberText.h"
#include "display/dialogs/CSelectionPropertiesDlg.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"
#include "document/ScanTimeRule.h"
#include "exchange/CTargetListModel.h"
#include "view/CVespiraView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Takes an edited time as the Selection Properties dialog takes its entry, and says so
// when it does not.
class CTimeDelegate : public QStyledItemDelegate
{
public:
    CTimeDelegate(IHostUi& ui, QObject* parent) : QStyledItemDelegate(parent), m_ui(ui) {}

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        const auto* edit = qobject_cast<QLineEdit*>(editor);
        if (edit == nullptr)
            return;
        const std::optional<float> time = CSelectionPropertiesDlg::ParseScanTime(edit->text());
        if (!time) {
            m_ui.ShowMessage(QString::fromLatin1(kScanTimeRangeMessage));
            return;
        }
        model->setData(index, static_cast<double>(*time));
    }

private:
    IHostUi& m_ui;
};

} // namespace

CTargetPanel::CTargetPanel(IHostUi& ui, DocumentSource currentDocument, ViewsOf viewsOf,
                           QWidget* parent)
    : QDockWidget(QStringLiteral("Target List"), parent), m_ui(ui),
      m_currentDocument(std::move(currentDocument)), m_viewsOf(std::move(viewsOf)),
      m_pModel(new CTargetListModel(this)), m_pTable(new QTableView), m_pSummary(new QLabel),
      m_pFollow(new QTimer(this))
{
    setObjectName(QStringLiteral("targetPanel"));
    m_pTable->setObjectName(QStringLiteral("targetTable"));
    m_pTable->setModel(m_pModel);
    m_pTable->setItemDelegateForColumn(CTargetListModel::TimeColumn, new CTimeDelegate(ui, this));
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    m_pTable->setAlternatingRowColors(true);
    m_pTable->verticalHeader()->hide();
    // Rows of one height: the view places any of hundreds of thousands without measuring.
    m_pTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 6);
    m_pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_pTable->installEventFilter(this);
    m_pSummary->setObjectName(QStringLiteral("targetSummary"));

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pTable, 1);
    layout->addWidget(m_pSummary);
    setWidget(body);

    connect(m_pModel, &CTargetListModel::summaryChanged, this, &CTargetPanel::UpdateSummary);
    connect(m_pModel, &CTargetListModel::rowsRelisted, this, &CTargetPanel::UpdateMarks);
    connect(m_pTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CTargetPanel::UpdateMarks);
    // The tools change targets without telling anyone; a look at the selection's
    // generation costs nothing.
    m_pFollow->setInterval(150);
    connect(m_pFollow, &QTimer::timeout, this, &CTargetPanel::Follow);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            Follow();
            m_pFollow->start();
        } else {
            m_pFollow->stop();
        }
    });
    UpdateSummary();
}

CTargetPanel::~CTargetPanel()
{
    for (const QPointer<CTargetMarks>& marks : std::as_const(m_marks))
        delete marks.data();
}

void CTargetPanel::Follow()
{
    CVespiraDoc* doc = m_currentDocument ? m_currentDocument() : nullptr;
    if (doc != m_pModel->Document())
        m_pModel->SetDocument(doc);
    else
        m_pModel->Refresh();
    AttachMarks();
}

void CTargetPanel::AttachMarks()
{
    CVespiraDoc* doc = m_pModel->Document();
    const QList<CVespiraView*> views =
        doc != nullptr && m_viewsOf ? m_viewsOf(doc) : QList<CVespiraView*>();
    // Marks of views that went or show another pattern go.
    for (QPointer<CTargetMarks>& marks : m_marks)
        if (marks && !views.contains(static_cast<CVespiraView*>(marks->parentWidget()))) {
            delete marks.data();
        }
    m_marks.removeIf([](const QPointer<CTargetMarks>& m) { return m.isNull(); });
    bool added = false;
    for (CVespiraView* view : views) {
        const bool has = std::any_of(m_marks.begin(), m_marks.end(),
                                     [view](const auto& m) { return m->parentWidget() == view; });
        if (!has) {
            m_marks << new CTargetMarks(*view);
            view->installEventFilter(this);
            added = true;
        }
    }
    if (added)
        UpdateMarks();
}

std::vector<int> CTargetPanel::ChosenRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : m_pTable->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CTargetPanel::UpdateMarks()
{
    std::vector<int> indices;
    for (int row : ChosenRows())
        if (const int index = m_pModel->GridIndexOfRow(row); index >= 0)
            indices.push_back(index);
    for (const QPointer<CTargetMarks>& marks : std::as_const(m_marks))
        if (marks)
            marks->SetMarked(indices);
}

void CTargetPanel::UpdateSummary()
{
    m_pSummary->setText(SummaryText());
}

QString CTargetPanel::SummaryText() const
{
    const CVespiraDoc* doc = m_pModel->Document();
    if (doc == nullptr)
        return QStringLiteral("No pattern");
    const int count = m_pModel->Count();
    return (count == 1 ? QStringLiteral("%1 target, total time %2 s")
                       : QStringLiteral("%1 targets, total time %2 s"))
        .arg(count)
        .arg(QString::fromStdString(FormatFixed(doc->TotalScanTime(), 1)));
}

void CTargetPanel::RemoveChosen()
{
    const std::vector<int> rows = ChosenRows();
    if (rows.empty() || m_pModel->Document() == nullptr)
        return;
    CVespiraDoc* doc = m_pModel->Document();
    const int next = rows.front();
    m_pModel->RemoveRows(rows);
    RepaintViews(doc);
    // The row after the removed ones is chosen next, so Delete can go on down the list.
    if (m_pModel->Count() > 0) {
        const int row = std::min(next, m_pModel->Count() - 1);
        m_pTable->selectionModel()->setCurrentIndex(m_pModel->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    }
}

bool CTargetPanel::ChooseTarget(int col, int row)
{
    m_pModel->Refresh();
    const CVespiraDoc* doc = m_pModel->Document();
    if (doc == nullptr || !doc->IsInGrid(col, row))
        return false;
    const int listRow = m_pModel->RowOfGridIndex(doc->IndexOf(col, row));
    if (listRow < 0)
        return false;
    const QModelIndex index = m_pModel->index(listRow, 0);
    m_pTable->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    m_pTable->scrollTo(index);
    return true;
}

void CTargetPanel::RepaintViews(const CVespiraDoc* doc)
{
    if (doc == nullptr || !m_viewsOf)
        return;
    for (CVespiraView* view : m_viewsOf(doc))
        view->RequestRepaint();
}

bool CTargetPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pTable) {
        // Delete is the Eraser's key everywhere else; in the list it removes targets.
        const bool isDelete =
            (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete &&
            static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier;
        if (isDelete && event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (isDelete) {
            RemoveChosen();
            return true;
        }
        return false;
    }
    auto* view = qobject_cast<CVespiraView*>(watched);
    if (view != nullptr && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        view->GetDocument() == m_pModel->Document()) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        // After the view has handled the release, so a target the tool just made is there.
        QTimer::singleShot(0, this, [this, view = QPointer<CVespiraView>(view), at]() {
            int col = 0;
            int row = 0;
            if (view && isVisible() && view->HitTestGrid(at.x(), at.y(), col, row))
                ChooseTarget(col, row);
        });
    }
    return false;
}
