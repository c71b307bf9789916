#pragma once

class CVespiraDoc;

// What the remote command handler asks of the main window.
class IRemoteHost
{
public:
    virtual ~IRemoteHost() = default;
    // The New-document command (as Ctrl+N): a new pattern from the pending grid in a window
    // of its own, already the active document with its view the active view. Returns it,
    // or nullptr when no document was made.
    virtual CVespiraDoc* NewDocument() = 0;
};
