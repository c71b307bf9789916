#include "link/CTargetPipe.h"

#include "link/PipeDirectory.h"
#include "link/PipeSocket.h"

#include <QFile>

#include <cstdio>

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

CTargetPipe::CTargetPipe(std::string path) : m_path(std::move(path)) {}

CTargetPipe::~CTargetPipe() = default;

std::unique_ptr<CPipeServer> CTargetPipe::Listen() const
{
    auto server = std::make_unique<CPipeServer>();
    std::string error;
    if (m_path.empty()) {
        const PipeDirectoryResult dir = PipeDirectory();
        error = dir.ok() ? std::string("no path for the target socket") : dir.error.toStdString();
    } else if (server->Listen(m_path, error)) {
        return server;
    }
    // The message names no file: the one in the way is told here.
    std::fprintf(stderr, "vespira: %s\n", error.c_str());
    std::fflush(stderr);
    return nullptr;
}

int CTargetPipe::Exchange(const PipeMessage& message, bool another)
{
    std::unique_ptr<CPipeServer> server = std::move(m_pRunServer);
    if (!server)
        server = Listen();
    if (!server)
        return kPipeCreationFailed;
    CPipeSocket peer = server->Accept(connectTimeoutMs, -1, m_peerPid);
    // The run ends with this message, whatever its result; a failed one starts over.
    const pid_t runPeer = another ? peer.PeerPid() : 0;
    m_peerPid = 0;
    if (!peer.IsValid())
        return kPipeTimeout;
    if (another) {
        // The instrument finds the socket again the moment it has answered; any other
        // process that connects meanwhile is closed unserved by the next Accept.
        m_peerPid = runPeer;
        m_pRunServer = std::move(server);
    } else {
        // One instance: nobody else connects while the last message is under way.
        server.reset();
    }

    // A failed write shows as a missing reply.
    peer.Send(EncodePipeMessage(message), writeTimeoutMs);
    std::size_t size = 0;
    m_reply.fill(0);
    const CPipeSocket::Result read = peer.Receive(m_reply, size, replyTimeoutMs);
    int result = kPipeReadError;
    if (read == CPipeSocket::Result::TimedOut)
        result = kPipeNotResponding;
    else if (read == CPipeSocket::Result::Ok && size == kPipeMessageSize)
        result = kPipeOk;
    if (result != kPipeOk)
        EndRun();
    return result;
}

void CTargetPipe::EndRun()
{
    m_pRunServer.reset();
    m_peerPid = 0;
}
