#pragma once

#include "app/IChildWindowArea.h"

#include <QList>
#include <QMdiArea>
#include <QObject>
#include <QPointer>
#include <QRect>

class CChildFrame;
class CDocManager;
class CVespiraDoc;
class CVespiraView;
class QAction;
class QMdiSubWindow;
class QMenu;
class QWidget;

// The pattern windows inside the main window: the MDI area that holds them, where a new
// one goes (the next place of the cascade, and again once the area has its real size when
// it was made before the window was shown), Cascade, Tile and Arrange Icons, the list of
// windows at the end of the Window menu, and which of them is the active one.
class CChildWindows : public QObject, public IChildWindowArea
{
    Q_OBJECT

public:
    // Makes the MDI area as a child of window; the caller places it there. The document
    // manager shows its frames here from now on, until this is destroyed (before window).
    CChildWindows(CDocManager& docs, QWidget& window);
    ~CChildWindows() override;

    QMdiArea* MdiArea() const { return m_pMdiArea; }

    // The active pattern window, its view and document (none while no pattern is open). A
    // window outside the area being active (a dialog, another program) leaves the one
    // that was active last.
    CChildFrame* ActiveChild() const;
    CVespiraView* ActiveView() const;
    CVespiraDoc* ActiveChildDocument() const;

    // Cascade: every shown window at its place of the cascade, the active one last, on top.
    void Cascade();
    void Tile();
    // The minimised windows in a row along the bottom of the area.
    void ArrangeIcons();
    // The entries "&1 title" ... (at most 9) after the menu's own, the active one checked;
    // run as the Window menu opens.
    void UpdateWindowList(QMenu& menu);

    void AddFrame(CChildFrame& frame) override;
    void ActivateFrame(CChildFrame& frame) override;
    void RemoveFrame(CChildFrame& frame) override;
    QWidget* DialogParent() const override;

signals:
    // A window was activated, made or closed: the active pattern window may be another.
    void activeChildChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The frame current (or else active) in the area.
    CChildFrame* CurrentFrame() const;
    void OnSubWindowActivated(QMdiSubWindow* window);
    void OnDocumentsChanged();

    CDocManager& m_docs;
    QPointer<QMdiArea> m_pMdiArea;
    QPointer<CChildFrame> m_pLastChild;
    QList<QAction*> m_windowListActions;
    struct PendingPlacement
    {
        QPointer<CChildFrame> frame;
        QRect placed;
    };
    QList<PendingPlacement> m_placeWhenShown;
};
