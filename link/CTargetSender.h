#pragma once

#include "link/CTargetPipe.h"
#include "link/PipeMessage.h"
#include "link/TargetList.h"

#include <vector>

struct JobFields;

// Builds the messages of the target socket in its own record, apart from the remote
// command listener's, and exchanges each on the pipe.
class CTargetSender
{
public:
    explicit CTargetSender(CTargetPipe& pipe) : m_pipe(pipe) {}

    // The start message, then one message per target; stops at the first failure.
    int SendList(const std::vector<Target>& targets);
    // The start-collecting message with the job fields.
    int SendCollect(const JobFields& job);

private:
    CTargetPipe& m_pipe;
    PipeMessage m_message;
};
