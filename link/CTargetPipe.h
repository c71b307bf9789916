#pragma once

#include "link/PipeMessage.h"

#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>

// Results of one exchange on the target socket.
enum TargetPipeResult : int
{
    kPipeOk = 0,
    kPipeTimeout = 1,        // the instrument did not connect in time
    kPipeCreationFailed = 2, // the socket could not be made
    kPipeEventFailed = 3,    // kept for the message table; sockets need no event
    kPipeNotResponding = 4,  // connected, but no reply within the bound
    kPipeReadError = 5,      // the reply was not 288 bytes
};

// The text shown for a failed exchange.
const char* PipeResultMessage(int result);

// The path of the target socket in the pipe directory; empty when the directory is
// refused.
std::string TargetSocketPath();

class CPipeServer;

// The program's end of the target socket. For every message it waits for the instrument
// to connect, sends the message and reads a reply into a record of its own; the
// instrument connects anew for each message. A single message has a listening socket of
// its own, closed once its peer has connected. Messages sent as one run (each but the
// last with `another`) share one, open from the first message to the last, and all go to
// the process that took the first: any other that connects meanwhile is closed unserved,
// so two instruments never split one list.
class CTargetPipe
{
public:
    explicit CTargetPipe(std::string path);
    ~CTargetPipe();
    CTargetPipe(const CTargetPipe&) = delete;
    CTargetPipe& operator=(const CTargetPipe&) = delete;

    int connectTimeoutMs = 1000;
    int writeTimeoutMs = 1000;
    // A peer that takes the message and never answers must not hang the program.
    int replyTimeoutMs = 10000;

    // One message out, one reply in: a TargetPipeResult. With `another`, the socket
    // stays open for the next message, so that the instrument finds it the moment it
    // has answered.
    int Exchange(const PipeMessage& message, bool another = false);
    // Ends a run of messages before its last: its socket is closed, and the next
    // exchange takes any peer again.
    void EndRun();

private:
    std::unique_ptr<CPipeServer> Listen() const;

    std::string m_path;
    PipeBytes m_reply{};
    std::unique_ptr<CPipeServer> m_pRunServer;
    // The process the run of messages under way talks to; 0 between runs.
    pid_t m_peerPid = 0;
};
