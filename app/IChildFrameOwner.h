#pragma once

class CChildFrame;

// What a child frame asks of whoever keeps it (the document manager).
class IChildFrameOwner
{
public:
    virtual ~IChildFrameOwner() = default;
    // The frame is about to close; true lets it close. Closing the last window of a
    // document asks to save it first.
    virtual bool OnCloseFrame(CChildFrame* frame) = 0;
    // The frame is being destroyed (with the main window, or after its close).
    virtual void FrameDestroyed(CChildFrame* frame) = 0;
};
