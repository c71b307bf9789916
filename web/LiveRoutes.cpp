#include "web/LiveRoutes.h"

#include <QRandomGenerator>

#include <array>
#include <cstdint>

namespace {

// Compares in time independent of where the texts differ.
bool SameSecret(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

LiveRoute MatchLiveRoute(QByteArrayView path, QByteArrayView token)
{
    if (token.isEmpty() || !path.startsWith('/'))
        return LiveRoute::Forbidden;
    const QByteArrayView rest = path.sliced(1);
    const qsizetype slash = rest.indexOf('/');
    if (!SameSecret(slash < 0 ? rest : rest.first(slash), token))
        return LiveRoute::Forbidden;
    const QByteArrayView name = slash < 0 ? QByteArrayView() : rest.sliced(slash + 1);
    if (slash < 0)
        return LiveRoute::NotFound;
    if (name.isEmpty())
        return LiveRoute::Page;
    if (name == QByteArrayView("live.js"))
        return LiveRoute::Script;
    if (name == QByteArrayView("live.css"))
        return LiveRoute::Style;
    if (name == QByteArrayView("socket"))
        return LiveRoute::Socket;
    return LiveRoute::NotFound;
}

QByteArray NewLiveToken()
{
    std::array<std::uint32_t, 4> bits{};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    return QByteArray(reinterpret_cast<const char*>(bits.data()),
                      static_cast<qsizetype>(sizeof bits))
        .toHex();
}

bool IsValidLiveToken(QByteArrayView token)
{
    if (token.size() != 32)
        return false;
    for (const char c : token)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

ViewerRequest ParseViewerRequest(QByteArrayView text)
{
    ViewerRequest request;
    if (text == QByteArrayView("follow")) {
        request.kind = ViewerRequest::Kind::Follow;
        return request;
    }
    if (!text.startsWith("show ") || text.size() > 16)
        return request;
    const QByteArrayView digits = text.sliced(5);
    if (digits.isEmpty() || digits.size() > 9)
        return request;
    int id = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return request;
        id = id * 10 + (c - '0');
    }
    if (id <= 0)
        return request;
    request.kind = ViewerRequest::Kind::Show;
    request.patternId = id;
    return request;
}
