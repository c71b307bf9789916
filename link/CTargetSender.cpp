#include "link/CTargetSender.h"

#include "link/JobFields.h"

#include <cstring>

int CTargetSender::SendList(const std::vector<Target>& targets, const Proceed& proceed)
{
    m_message = PipeMessage{};
    m_message.code = kTargetListStart;
    if (const int result = m_pipe.Exchange(m_message, !targets.empty()); result != kPipeOk)
        return result;
    if (proceed && !targets.empty() && !proceed(0)) {
        m_pipe.EndRun();
        return kPipeOk;
    }
    for (const Target& target : targets) {
        m_message.code = kTarget;
        m_message.param1 = static_cast<float>(target.x);
        m_message.param2 = static_cast<float>(target.y);
        m_message.param3 = target.time;
        m_message.intParam = target.index;
        const bool another = &target != &targets.back();
        if (const int result = m_pipe.Exchange(m_message, another); result != kPipeOk)
            return result;
        const int sent = static_cast<int>(&target - targets.data()) + 1;
        if (proceed && !proceed(sent)) {
            m_pipe.EndRun();
            return kPipeOk;
        }
    }
    return kPipeOk;
}

int CTargetSender::SendCollect(const JobFields& job)
{
    m_message = PipeMessage{};
    m_message.code = kStartCollecting;
    m_message.intParam = job.nSampleNumber;
    // Each field NUL-terminated within its 80 bytes; the last 16 bytes stay zero.
    std::memcpy(m_message.text + kJobNameOffset, job.szJobName, strnlen(job.szJobName, 79));
    std::memcpy(m_message.text + kJobTitleOffset, job.szTitle, strnlen(job.szTitle, 79));
    std::memcpy(m_message.text + kJobSampleOffset, job.szSampleName, strnlen(job.szSampleName, 79));
    return m_pipe.Exchange(m_message);
}
