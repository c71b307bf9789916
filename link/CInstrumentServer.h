#pragma once

#include "link/PipeSocket.h"

#include <cstdint>
#include <string>

// The instrument's end of the remote command socket, as the simulator and the tests run
// it: it listens, and for each command takes the program's next connection, sends the
// request and waits for the reply.
class CInstrumentServer
{
public:
    enum class Result
    {
        Ok,
        NoClient,
        NoReply,
        Stopped
    };

    bool Listen(const std::string& path, std::string& error)
    {
        return m_server.Listen(path, error);
    }
    const std::string& Path() const { return m_server.Path(); }
    void Close() { m_server.Close(); }

    // One exchange. The program's listener reconnects within half a second, so
    // `connectTimeoutMs` should allow for that; the reply may wait for a message box.
    Result Exchange(const PipeBytes& request, std::int32_t& status, int connectTimeoutMs,
                    int replyTimeoutMs, int wakeFd = -1);
    Result Exchange(const PipeMessage& request, std::int32_t& status, int connectTimeoutMs,
                    int replyTimeoutMs, int wakeFd = -1)
    {
        return Exchange(EncodePipeMessage(request), status, connectTimeoutMs, replyTimeoutMs,
                        wakeFd);
    }
    // Sends raw bytes of any length as one message (for tests of malformed requests).
    Result ExchangeRaw(const void* data, std::size_t size, std::int32_t& status,
                       int connectTimeoutMs, int replyTimeoutMs);

    // Takes the program's next connection without sending anything on it.
    CPipeSocket Accept(int timeoutMs) { return m_server.Accept(timeoutMs); }

    static const char* Describe(Result result);

private:
    CPipeSocket AcceptClient(int timeoutMs, int wakeFd);
    Result AwaitReply(CPipeSocket& client, std::int32_t& status, int replyTimeoutMs, int wakeFd);

    CPipeServer m_server;
};
