#pragma once

#include "link/CTargetPipe.h"
#include "link/PipeMessage.h"
#include "link/TargetList.h"

#include <functional>
#include <vector>

struct JobFields;

// Builds the messages of the target socket in its own record, apart from the remote
// command listener's, and exchanges each on the pipe.
class CTargetSender
{
public:
    explicit CTargetSender(CTargetPipe& pipe) : m_pipe(pipe) {}

    // Asked after each target ORMA answered, with the number answered so far; false
    // ends the list there.
    using Proceed = std::function<bool(int sent)>;

    // The start message, then one message per target; stops at the first failure, or
    // where `proceed` says so (the result is then kPipeOk with fewer targets sent).
    int SendList(const std::vector<Target>& targets, const Proceed& proceed = {});
    // The start-collecting message with the job fields.
    int SendCollect(const JobFields& job);

private:
    CTargetPipe& m_pipe;
    PipeMessage m_message;
};
