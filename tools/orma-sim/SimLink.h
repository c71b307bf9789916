#pragma once

#include "link/CInstrumentServer.h"
#include "link/PipeMessage.h"
#include "tools/orma-sim/CStopSignal.h"

#include <QString>

#include <cstdint>
#include <string>

// Exit codes of the simulator.
enum SimExit
{
    kExitOk = 0,
    kExitUsage = 1,
    kExitLink = 2,
    kExitPatternGone = 3,
    kExitInterrupted = 130,
};

// The command socket as the simulator uses it: listening in the pipe directory, every
// exchange bounded, replies checked.
class CSimLink
{
public:
    explicit CSimLink(CStopSignal& stop) : m_stop(stop) {}

    // Listens at the command socket of the pipe directory; prints why not and returns
    // false when that is impossible.
    bool Open();
    // Sends one request; false (after saying why) when no reply came or the stop signal
    // cut the wait. `status` gets the reply status.
    bool Exchange(const PipeMessage& request, std::int32_t& status);

    int connectTimeoutMs = 5000;
    int replyTimeoutMs = 120000;
    bool lastWasStop = false;

private:
    CStopSignal& m_stop;
    CInstrumentServer m_server;
};

// Prints a line on standard error.
void SimError(const std::string& text);
// The path of a socket in the pipe directory, or empty (after saying why).
std::string SocketPath(const char* name);
// Parses "BEG:END:INC" into three floats.
bool ParseAxis(const QString& text, float& beg, float& end, float& inc);
