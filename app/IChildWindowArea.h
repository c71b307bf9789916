#pragma once

class CChildFrame;
class QWidget;

// Where the document manager shows the child frames of its documents: the main window's
// MDI area. Without one, each frame is a window of its own.
class IChildWindowArea
{
public:
    virtual ~IChildWindowArea() = default;
    // Takes a new frame into the area, at its place; the manager shows it afterwards.
    virtual void AddFrame(CChildFrame& frame) = 0;
    // Makes a shown frame the active one.
    virtual void ActivateFrame(CChildFrame& frame) = 0;
    // Takes a frame that is closing out of the area at once, so the list of windows is
    // right before the frame is deleted.
    virtual void RemoveFrame(CChildFrame& frame) = 0;
    // The parent of the file dialogs: the window the area is in.
    virtual QWidget* DialogParent() const = 0;
};
