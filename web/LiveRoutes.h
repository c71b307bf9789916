#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The fixed routes of the live view. Every address starts with the token as its first
// path segment, so the page's relative links and its socket carry it without help:
// /TOKEN/ the page, /TOKEN/live.js, /TOKEN/live.css, /TOKEN/socket the updates.
enum class LiveRoute
{
    Forbidden, // no token, or not the right one
    NotFound,  // the right token, no such route
    Page,
    Script,
    Style,
    Socket
};

LiveRoute MatchLiveRoute(QByteArrayView path, QByteArrayView token);

// A new token: 128 random bits from the system's generator, as 32 hex digits.
QByteArray NewLiveToken();
// 32 hex digits, as NewLiveToken makes them (a stored token is checked with it).
bool IsValidLiveToken(QByteArrayView token);

// What a viewer asks over its socket: which pattern to show. Nothing a viewer sends
// changes anything in the program.
struct ViewerRequest
{
    enum class Kind
    {
        Invalid,
        Follow, // "follow": the pattern receiving the scan, whichever it is
        Show    // "show N": the open pattern with id N
    };
    Kind kind = Kind::Invalid;
    int patternId = 0;
};
ViewerRequest ParseViewerRequest(QByteArrayView text);
