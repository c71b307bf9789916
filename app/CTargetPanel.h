#pragma once

#include <QDockWidget>
#include <QList>
#include <QPointer>

#include <functional>
#include <vector>

class CTargetListModel;
class CTargetMarks;
class CVespiraDoc;
class CVespiraView;
class IHostUi;
class QLabel;
class QTableView;
class QTimer;

// The target list dock: the targets of the pattern in the active window, one row each
// (index, X mm, Y mm, time s), their count and total time under them. Rows chosen here
// are outlined in the pattern's views, and a click on a target cell chooses its row;
// Delete removes the chosen targets; a time is edited in place under the rule of the
// Selection Properties dialog. Each change is one call into the document.
class CTargetPanel : public QDockWidget
{
    Q_OBJECT

public:
    using DocumentSource = std::function<CVespiraDoc*()>;
    using ViewsOf = std::function<QList<CVespiraView*>(const CVespiraDoc*)>;

    CTargetPanel(IHostUi& ui, DocumentSource currentDocument, ViewsOf viewsOf,
                 QWidget* parent = nullptr);
    ~CTargetPanel() override;

    CTargetListModel& Model() { return *m_pModel; }
    QTableView& Table() { return *m_pTable; }
    QString SummaryText() const;

    // Lists the pattern of the active window again and follows changes of its targets.
    void Follow();
    // Removes the targets of the chosen rows.
    void RemoveChosen();
    // Chooses the row of the target at a grid point and shows it; false when that point is
    // no target.
    bool ChooseTarget(int col, int row);
    // The views of a pattern repaint (its targets changed).
    void RepaintViews(const CVespiraDoc* doc);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateSummary();
    void UpdateMarks();
    std::vector<int> ChosenRows() const;
    void AttachMarks();

    IHostUi& m_ui;
    DocumentSource m_currentDocument;
    ViewsOf m_viewsOf;
    CTargetListModel* m_pModel;
    QTableView* m_pTable;
    QLabel* m_pSummary;
    QTimer* m_pFollow;
    QList<QPointer<CTargetMarks>> m_marks;
};
