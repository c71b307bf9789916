#pragma once

#include <QByteArray>
#include <QtGlobal>

// The live view's choices as the settings keep them (group "Live View").
struct LiveViewSettings
{
    bool share = false;       // shared at start-up
    quint16 port = 0;         // 0: any free port (the one taken is kept afterwards)
    bool allowOthers = false; // all addresses, not the loopback address only
    bool keepAddress = false; // the token below is used again
    QByteArray token;
};
