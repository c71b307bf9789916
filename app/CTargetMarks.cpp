#include "app/CTargetMarks.h"

#include "document/CVespiraDoc.h"
#include "view/CVespiraView.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

CTargetMarks::CTargetMarks(CVespiraView& view) : QWidget(&view), m_view(view)
{
    setObjectName(QStringLiteral("targetMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(view.rect());
    view.installEventFilter(this);
    show();
}

void CTargetMarks::SetMarked(std::vector<int> indices)
{
    if (indices == m_marked)
        return;
    m_marked = std::move(indices);
    update();
}

bool CTargetMarks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_view && event->type() == QEvent::Resize)
        setGeometry(m_view.rect());
    return QWidget::eventFilter(watched, event);
}

void CTargetMarks::paintEvent(QPaintEvent* event)
{
    const CVespiraDoc& doc = *m_view.GetDocument();
    if (m_marked.empty() || doc.m_nXPoints < 1)
        return;
    QPainter painter(this);
    QPen pen(QColor(255, 0, 255));
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRect area = event->rect();
    // Only the visible window's cells can be outlined: walk whichever is shorter, the
    // marked list or the window's rows.
    const int firstRow = std::max(0, doc.m_nFirstRow);
    const int lastRow = std::min(doc.m_nYPoints - 1, doc.m_nLastRow);
    const auto outline = [&](int index) {
        const QRect cell = m_view.CellRect(index % doc.m_nXPoints, index / doc.m_nXPoints);
        if (!cell.isEmpty() && cell.intersects(area))
            painter.drawRect(cell.adjusted(1, 1, -1, -1));
    };
    const auto from = std::lower_bound(m_marked.begin(), m_marked.end(), doc.IndexOf(0, firstRow));
    const auto to = std::upper_bound(m_marked.begin(), m_marked.end(),
                                     doc.IndexOf(doc.m_nXPoints - 1, lastRow));
    for (auto it = from; it < to; ++it)
        outline(*it);
}
