#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The head of one HTTP/1.x request as the live view accepts it: a GET without a body.
struct HttpRequest
{
    QByteArray method;
    QByteArray target; // the path as sent, with the query
    QByteArray path;   // the target without the query
    bool upgradeWebSocket = false;
    QByteArray webSocketKey;
    int webSocketVersion = 0;
};

enum class HttpParse
{
    Incomplete, // the head has not ended yet: read on
    Ok,
    Bad,     // 400: malformed, or a body or method the server never takes
    TooLarge // 431: the head is longer than kMaxHttpHead
};

// The longest request head taken; the page's requests need a fraction of it.
inline constexpr qsizetype kMaxHttpHead = 8192;

// Parses the head at the start of data (up to and including the empty line); used tells
// how many bytes it took. Header names are case-insensitive; a request with a body
// (Content-Length other than 0, or Transfer-Encoding) is Bad.
HttpParse ParseHttpRequest(QByteArrayView data, HttpRequest& request, qsizetype& used);

// A whole response with the given status, content type and body; the connection is
// closed after it.
QByteArray HttpResponse(int status, QByteArrayView contentType, QByteArrayView body);
