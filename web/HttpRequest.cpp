#include "web/HttpRequest.h"

#include <QList>

namespace {

QByteArrayView Trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

bool IsToken(QByteArrayView v)
{
    if (v.isEmpty())
        return false;
    for (const char c : v)
        if (c <= ' ' || c >= 127 || c == ':')
            return false;
    return true;
}

// True when a comma-separated header value names token, in any case.
bool ListHas(QByteArrayView value, QByteArrayView token)
{
    for (const QByteArrayView part : QByteArray(value.toByteArray()).split(','))
        if (Trimmed(part).compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const char* ReasonOf(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 426:
        return "Upgrade Required";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

} // namespace

HttpParse ParseHttpRequest(QByteArrayView data, HttpRequest& request, qsizetype& used)
{
    used = 0;
    const qsizetype end = data.indexOf(QByteArrayView("\r\n\r\n"));
    if (end < 0)
        return data.size() > kMaxHttpHead ? HttpParse::TooLarge : HttpParse::Incomplete;
    if (end + 4 > kMaxHttpHead)
        return HttpParse::TooLarge;
    used = end + 4;
    request = HttpRequest();

    // Lines end in CR LF; a bare CR or LF anywhere is malformed.
    QList<QByteArrayView> lines;
    for (QByteArrayView rest = data.first(end);;) {
        const qsizetype eol = rest.indexOf(QByteArrayView("\r\n"));
        const QByteArrayView line = eol < 0 ? rest : rest.first(eol);
        if (line.contains('\r') || line.contains('\n'))
            return HttpParse::Bad;
        lines.append(line);
        if (eol < 0)
            break;
        rest = rest.sliced(eol + 2);
    }
    const QList<QByteArray> words = lines.front().toByteArray().split(' ');
    if (words.size() != 3 || !IsToken(words[0]) || !words[1].startsWith('/') ||
        (words[2] != "HTTP/1.1" && words[2] != "HTTP/1.0"))
        return HttpParse::Bad;
    for (const char c : words[1])
        if (c <= ' ' || c >= 127)
            return HttpParse::Bad;
    request.method = words[0];
    request.target = words[1];
    const qsizetype query = request.target.indexOf('?');
    request.path = query < 0 ? request.target : request.target.left(query);

    bool upgrade = false;
    bool connectionUpgrade = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !IsToken(line.first(colon)))
            return HttpParse::Bad;
        const QByteArrayView name = line.first(colon);
        const QByteArrayView value = Trimmed(line.sliced(colon + 1));
        for (const char c : value)
            if ((c < ' ' && c != '\t') || c == 127)
                return HttpParse::Bad;
        auto is = [&](const char* header) {
            return name.compare(header, Qt::CaseInsensitive) == 0;
        };
        if (is("Content-Length")) {
            if (value != QByteArrayView("0"))
                return HttpParse::Bad;
        } else if (is("Transfer-Encoding")) {
            return HttpParse::Bad;
        } else if (is("Upgrade")) {
            upgrade = upgrade || ListHas(value, "websocket");
        } else if (is("Connection")) {
            connectionUpgrade = connectionUpgrade || ListHas(value, "upgrade");
        } else if (is("Sec-WebSocket-Key")) {
            request.webSocketKey = value.toByteArray();
        } else if (is("Sec-WebSocket-Version")) {
            bool ok = false;
            const int version = value.toByteArray().toInt(&ok);
            request.webSocketVersion = ok ? version : -1;
        }
    }
    request.upgradeWebSocket = upgrade && connectionUpgrade;
    return HttpParse::Ok;
}

QByteArray HttpResponse(int status, QByteArrayView contentType, QByteArrayView body)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonOf(status) + "\r\n";
    out += "Content-Type: " + contentType.toByteArray() + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    // Nothing of the page may come from elsewhere, and nothing is kept by caches.
    out += "Content-Security-Policy: default-src 'self'; connect-src 'self'; "
           "img-src 'self' data:; frame-ancestors 'none'\r\n";
    out += "X-Content-Type-Options: nosniff\r\n";
    out += "Referrer-Policy: no-referrer\r\n";
    out += "Cache-Control: no-store\r\n";
    out += "Connection: close\r\n\r\n";
    out += body.toByteArray();
    return out;
}
