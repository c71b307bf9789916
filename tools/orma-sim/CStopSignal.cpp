#include "tools/orma-sim/CStopSignal.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// A signal handler can reach nothing but a process-wide descriptor.
volatile sig_atomic_t g_stopFd = -1;

void OnSignal(int)
{
    const int saved = errno;
    const std::uint64_t one = 1;
    if (g_stopFd >= 0) [[maybe_unused]]
        const ssize_t n = ::write(g_stopFd, &one, sizeof one);
    errno = saved;
}

} // namespace

CStopSignal::CStopSignal() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    g_stopFd = m_fd;
    struct sigaction action
    {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

CStopSignal::~CStopSignal()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    g_stopFd = -1;
    ::close(m_fd);
}

bool CStopSignal::Raised() const
{
    pollfd fd{m_fd, POLLIN, 0};
    return ::poll(&fd, 1, 0) == 1;
}

void CStopSignal::Clear()
{
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_fd, &value, sizeof value);
}
