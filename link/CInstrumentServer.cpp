#include "link/CInstrumentServer.h"

#include <sys/socket.h>

CPipeSocket CInstrumentServer::AcceptClient(int timeoutMs, int wakeFd)
{
    return m_server.Accept(timeoutMs, wakeFd);
}

CInstrumentServer::Result CInstrumentServer::AwaitReply(CPipeSocket& client, std::int32_t& status,
                                                        int replyTimeoutMs, int wakeFd)
{
    PipeBytes reply{};
    std::size_t size = 0;
    const CPipeSocket::Result got = client.Receive(reply, size, replyTimeoutMs, wakeFd);
    if (got == CPipeSocket::Result::Woken)
        return Result::Stopped;
    if (got != CPipeSocket::Result::Ok || size != kPipeMessageSize)
        return Result::NoReply;
    status = DecodePipeMessage(reply).code;
    return Result::Ok;
}

CInstrumentServer::Result CInstrumentServer::Exchange(const PipeBytes& request,
                                                      std::int32_t& status, int connectTimeoutMs,
                                                      int replyTimeoutMs, int wakeFd)
{
    // A connection queued by a listener that has gone since fails on the send: the next
    // one is taken, and the request is never delivered twice.
    for (int attempt = 0; attempt < 8; ++attempt) {
        CPipeSocket client = AcceptClient(connectTimeoutMs, wakeFd);
        if (!client.IsValid())
            return Result::NoClient;
        const CPipeSocket::Result sent = client.Send(request, 1000, wakeFd);
        if (sent == CPipeSocket::Result::Woken)
            return Result::Stopped;
        if (sent == CPipeSocket::Result::Ok)
            return AwaitReply(client, status, replyTimeoutMs, wakeFd);
    }
    return Result::NoClient;
}

CInstrumentServer::Result CInstrumentServer::ExchangeRaw(const void* data, std::size_t size,
                                                         std::int32_t& status, int connectTimeoutMs,
                                                         int replyTimeoutMs)
{
    CPipeSocket client = AcceptClient(connectTimeoutMs, -1);
    if (!client.IsValid())
        return Result::NoClient;
    if (::send(client.Fd(), data, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size))
        return Result::NoReply;
    return AwaitReply(client, status, replyTimeoutMs, -1);
}

const char* CInstrumentServer::Describe(Result result)
{
    switch (result) {
    case Result::Ok:
        return "ok";
    case Result::NoClient:
        return "Vespira did not connect (is it running, with the same pipe directory?)";
    case Result::NoReply:
        return "Vespira closed the connection without a reply";
    case Result::Stopped:
        return "stopped";
    }
    return "unknown";
}
