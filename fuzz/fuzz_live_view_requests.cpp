// libFuzzer target: the bytes a browser sends the live view, as the server reads them: a
// request head (its route checked against a token), then, as after an upgrade, WebSocket
// frames whose text messages are a viewer's requests. Malformed, overlong or cut-off
// input must be refused or waited on, never crash or read outside the buffer.
#include "web/HttpRequest.h"
#include "web/LiveRoutes.h"
#include "web/WebSocketFrame.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QByteArray token = "0123456789abcdef0123456789abcdef";
    HttpRequest request;
    qsizetype used = 0;
    const HttpParse parsed = ParseHttpRequest(input, request, used);
    if (used < 0 || used > input.size())
        __builtin_trap();
    if (parsed == HttpParse::Ok) {
        MatchLiveRoute(request.path, token);
        IsValidWebSocketKey(request.webSocketKey);
        WebSocketAccept(request.webSocketKey);
    }
    // What follows the head, or the whole input when there is none, as frames.
    QByteArrayView rest = QByteArrayView(input).sliced(parsed == HttpParse::Ok ? used : 0);
    for (;;) {
        WsFrame frame;
        qsizetype taken = 0;
        if (DecodeWebSocketFrame(rest, 256, frame, taken) != WsParse::Ok)
            break;
        if (taken <= 0 || taken > rest.size() || frame.payload.size() > 256)
            __builtin_trap();
        ParseViewerRequest(frame.payload);
        rest = rest.sliced(taken);
    }
    return 0;
}
