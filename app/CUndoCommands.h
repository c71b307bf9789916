#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

class CChildWindows;
class CCommandRouter;
class CVespiraDoc;

// Undo and Redo of the active pattern's target history: the commands, and their menu
// texts naming the step they take ("&Undo Rectangle\tCtrl+Z"), kept current as the active
// window or its history changes.
class CUndoCommands : public QObject
{
    Q_OBJECT

public:
    CUndoCommands(CCommandRouter& commands, const CChildWindows& children,
                  QObject* parent = nullptr);

private:
    CVespiraDoc* ActiveDocument() const;
    // Follows the history of the active window's pattern.
    void FollowActiveDocument();

    CCommandRouter& m_commands;
    const CChildWindows& m_children;
    QPointer<CVespiraDoc> m_pFollowed;
    QMetaObject::Connection m_followed;
};
