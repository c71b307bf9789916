#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

// The server's side of the WebSocket framing (RFC 6455): the handshake's accept key,
// unmasked frames out, masked frames in.

enum class WsOpcode : std::uint8_t
{
    Continuation = 0x0,
    Text = 0x1,
    Binary = 0x2,
    Close = 0x8,
    Ping = 0x9,
    Pong = 0xA
};

// Sec-WebSocket-Accept for a client's Sec-WebSocket-Key.
QByteArray WebSocketAccept(QByteArrayView key);
// A key is the base64 of 16 bytes.
bool IsValidWebSocketKey(QByteArrayView key);

// One whole unfragmented frame from the server.
QByteArray EncodeWebSocketFrame(WsOpcode opcode, QByteArrayView payload);
// The close frame with a status code.
QByteArray EncodeWebSocketClose(std::uint16_t code);

struct WsFrame
{
    WsOpcode opcode = WsOpcode::Text;
    QByteArray payload; // unmasked
};

enum class WsParse
{
    Incomplete, // read on
    Ok,
    Bad,     // not a frame a browser sends: unmasked, reserved bits, fragmented, bad opcode
    TooLarge // payload beyond the limit given
};

// Decodes the frame at the start of data; used tells how many bytes it took. A viewer
// sends only short whole messages, so a fragmented message is Bad, and a payload longer
// than maxPayload is TooLarge (control frames are never longer than 125 bytes).
WsParse DecodeWebSocketFrame(QByteArrayView data, qsizetype maxPayload, WsFrame& frame,
                             qsizetype& used);
