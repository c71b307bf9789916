#pragma once

#include <QMdiSubWindow>

struct ViewContext;
class CVespiraDoc;
class CVespiraView;
class IChildFrameOwner;

// The child window of one pattern view. Created, titled and closed by its owner, the
// document manager, which decides whether it may close.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT

public:
    CChildFrame(CVespiraDoc& doc, const ViewContext& views, IChildFrameOwner& owner,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    CVespiraDoc* GetDocument() const { return m_pDoc; }
    CVespiraView* GetView() const { return m_pView; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CVespiraDoc* m_pDoc;
    CVespiraView* m_pView;
    IChildFrameOwner& m_owner;
};
