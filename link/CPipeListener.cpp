#include "link/CPipeListener.h"

#include <QCoreApplication>
#include <QEvent>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

CPipeListener::CPipeListener(std::string socketPath, Handler handler)
    : m_socketPath(std::move(socketPath)), m_handler(std::move(handler)),
      m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{}

CPipeListener::~CPipeListener()
{
    if (m_thread.joinable()) {
        m_stop = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
        // A request queued to the GUI thread and not yet run is dropped; dropping it
        // releases the listener's blocking hand-over, so it can see the stop.
        while (!m_finished) {
            QCoreApplication::removePostedEvents(&m_receiver, QEvent::MetaCall);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        m_thread.join();
    }
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void CPipeListener::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void CPipeListener::Pause(int ms)
{
    WaitReady(m_wakeFd, POLLIN, ms, -1);
}

void CPipeListener::Run()
{
    CPipeSocket next;
    while (!m_stop) {
        CPipeSocket socket = next.IsValid() ? std::move(next) : CPipeSocket::Connect(m_socketPath);
        if (!socket.IsValid() || !socket.PeerIsOwnUser()) {
            socket.Close();
            Pause(kRetryMs);
            continue;
        }
        std::size_t size = 0;
        // On SOCK_SEQPACKET a zero-length message reads the same as the peer's close:
        // both end the connection without a reply.
        if (socket.Receive(m_pipeRequest, size, -1, m_wakeFd) != CPipeSocket::Result::Ok)
            continue;
        // The next connection waits in the instrument's queue while this request is
        // handled, so the instrument can send again as soon as it has the reply. It is
        // made before the reply is written; a peer that serves one request at a time
        // sees no difference.
        next = CPipeSocket::Connect(m_socketPath);

        const PipeMessage request = DecodePipeMessage(m_pipeRequest);
        bool handled = false;
        std::int32_t status = 0;
        if (m_stop)
            break;
        QMetaObject::invokeMethod(
            &m_receiver,
            [&] {
                status = m_handler(request);
                handled = true;
            },
            Qt::BlockingQueuedConnection);
        if (!handled)
            continue;

        PipeMessage pipeReply;
        pipeReply.code = status;
        socket.Send(EncodePipeMessage(pipeReply), kReplyTimeoutMs, m_wakeFd);
    }
    m_finished = true;
}
