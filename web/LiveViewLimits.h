#pragma once

#include <QtGlobal>

// The bounds of the live view's server; tests shorten the times.
struct LiveViewLimits
{
    int maxViewers = 16;
    // Connections still sending their request or taking their response.
    int maxPending = 16;
    // A request's head must arrive within this time of the connection.
    int requestTimeoutMs = 10000;
    // A viewer that sends nothing (not even the answer to a ping) for this long goes.
    int idleTimeoutMs = 60000;
    int pingIntervalMs = 15000;
    // Bytes waiting to be sent to one viewer above which changes are no longer queued:
    // the viewer gets a full refresh once it has taken what waits.
    qint64 sendBufferLimit = 8 * 1024 * 1024;
    // A viewer whose buffer stays above the limit this long is dropped.
    int slowViewerTimeoutMs = 20000;
    // How often changes go out.
    int updateIntervalMs = 200;
    // The longest message a viewer may send.
    qsizetype maxViewerMessage = 256;
};
