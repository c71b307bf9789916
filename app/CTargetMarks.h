#pragma once

#include <QWidget>

#include <vector>

class CVespiraView;

// The cells of the targets chosen in the target list, outlined over one pattern view. A
// child of the view that lets every mouse event through; the view's own drawing stays as
// it is.
class CTargetMarks : public QWidget
{
    Q_OBJECT

public:
    explicit CTargetMarks(CVespiraView& view);

    // Grid indices of the cells to outline, ascending.
    void SetMarked(std::vector<int> indices);
    const std::vector<int>& Marked() const { return m_marked; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    CVespiraView& m_view;
    std::vector<int> m_marked;
};
