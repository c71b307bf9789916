#include "CTargetPipe.h"

#include "PipeDirectory.h"
#include "PipeSocket.h"

#include <QFile>

const char* PipeResultMessage(int result)
{
    switch (result) {
    case kPipeTimeout:
        return "Named pipe: Timeout exceeded";
    case kPipeCreationFailed:
        return "Named pipe: Creation failed";
    case kPipeEventFailed:
        return "Named pipe: Event creation failed";
    case kPipeNotResponding:
        return "Named pipe: Client (ORMA) is not responding";
    case kPipeReadError:
        return "Named pipe: Read error";
    default:
        return "Named pipe: Unknown error";
    }
}

std::string TargetSocketPath()
{
    const PipeDirectoryResult dir = PipeDirectory();
    if (!dir.ok())
        return {};
    return QFile::encodeName(dir.path).toStdString() + "/" + kTargetSocketName;
}

int CTargetPipe::Exchange(const PipeMessage& message)
{
    CPipeServer server;
    std::string error;
    if (m_path.empty() || !server.Listen(m_path, error))
        return kPipeCreationFailed;
    CPipeSocket peer = server.Accept(connectTimeoutMs);
    // One instance: nobody else connects while this message is under way.
    server.Close();
    if (!peer.IsValid())
        return kPipeTimeout;

    // A failed write shows as a missing reply.
    peer.Send(EncodePipeMessage(message), writeTimeoutMs);
    std::size_t size = 0;
    m_reply.fill(0);
    const CPipeSocket::Result read = peer.Receive(m_reply, size, replyTimeoutMs);
    if (read == CPipeSocket::Result::TimedOut)
        return kPipeNotResponding;
    return read == CPipeSocket::Result::Ok && size == kPipeMessageSize ? kPipeOk : kPipeReadError;
}
