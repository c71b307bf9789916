#include "web/WebSocketFrame.h"

#include <QCryptographicHash>

QByteArray WebSocketAccept(QByteArrayView key)
{
    QByteArray text = key.toByteArray() + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
    return QCryptographicHash::hash(text, QCryptographicHash::Sha1).toBase64();
}

bool IsValidWebSocketKey(QByteArrayView key)
{
    if (key.size() != 24)
        return false;
    const auto decoded =
        QByteArray::fromBase64Encoding(key.toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded.decodingStatus == QByteArray::Base64DecodingStatus::Ok &&
           decoded.decoded.size() == 16;
}

QByteArray EncodeWebSocketFrame(WsOpcode opcode, QByteArrayView payload)
{
    QByteArray out;
    const auto size = static_cast<std::uint64_t>(payload.size());
    out.reserve(payload.size() + 10);
    out.append(static_cast<char>(0x80 | static_cast<std::uint8_t>(opcode)));
    if (size < 126) {
        out.append(static_cast<char>(size));
    } else if (size <= 0xFFFF) {
        out.append(static_cast<char>(126));
        out.append(static_cast<char>(size >> 8));
        out.append(static_cast<char>(size & 0xFF));
    } else {
        out.append(static_cast<char>(127));
        for (int shift = 56; shift >= 0; shift -= 8)
            out.append(static_cast<char>((size >> shift) & 0xFF));
    }
    out.append(payload);
    return out;
}

QByteArray EncodeWebSocketClose(std::uint16_t code)
{
    const char payload[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    return EncodeWebSocketFrame(WsOpcode::Close, QByteArrayView(payload, 2));
}

WsParse DecodeWebSocketFrame(QByteArrayView data, qsizetype maxPayload, WsFrame& frame,
                             qsizetype& used)
{
    used = 0;
    if (data.size() < 2)
        return WsParse::Incomplete;
    const auto b0 = static_cast<std::uint8_t>(data[0]);
    const auto b1 = static_cast<std::uint8_t>(data[1]);
    const bool fin = (b0 & 0x80) != 0;
    const std::uint8_t opcode = b0 & 0x0F;
    if ((b0 & 0x70) != 0 || (b1 & 0x80) == 0 || !fin)
        return WsParse::Bad;
    const bool control = (opcode & 0x8) != 0;
    if (opcode != 0x1 && opcode != 0x2 && opcode != 0x8 && opcode != 0x9 && opcode != 0xA)
        return WsParse::Bad;
    std::uint64_t length = b1 & 0x7F;
    qsizetype pos = 2;
    if (length == 126 || length == 127) {
        const int bytes = length == 126 ? 2 : 8;
        if (data.size() < pos + bytes)
            return WsParse::Incomplete;
        length = 0;
        for (int i = 0; i < bytes; ++i)
            length = (length << 8) | static_cast<std::uint8_t>(data[pos + i]);
        pos += bytes;
        if (control)
            return WsParse::Bad;
    }
    if (length > static_cast<std::uint64_t>(maxPayload))
        return WsParse::TooLarge;
    if (data.size() < pos + 4 + static_cast<qsizetype>(length))
        return WsParse::Incomplete;
    const QByteArrayView mask = data.sliced(pos, 4);
    pos += 4;
    frame.opcode = static_cast<WsOpcode>(opcode);
    frame.payload.resize(static_cast<qsizetype>(length));
    for (qsizetype i = 0; i < static_cast<qsizetype>(length); ++i)
        frame.payload[i] = static_cast<char>(data[pos + i] ^ mask[i % 4]);
    used = pos + static_cast<qsizetype>(length);
    return WsParse::Ok;
}
