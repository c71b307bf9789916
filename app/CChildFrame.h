#pragma once

#include <QMdiSubWindow>

class CDocManager;
struct ViewContext;
class CVespiraDoc;
class CVespiraView;

// The child window of one pattern view. Created, titled and closed by the document
// manager; closing the last window of a document asks to save it first.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT

public:
    CChildFrame(CVespiraDoc& doc, const ViewContext& views, CDocManager& manager,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    CVespiraDoc* GetDocument() const { return m_pDoc; }
    CVespiraView* GetView() const { return m_pView; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CVespiraDoc* m_pDoc;
    CVespiraView* m_pView;
    CDocManager& m_manager;
};
