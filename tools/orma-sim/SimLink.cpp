#include "tools/orma-sim/SimLink.h"

#include "base/NumberText.h"
#include "link/PipeDirectory.h"

#include <QFile>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdio>

void SimError(const std::string& text)
{
    std::fprintf(stderr, "orma-sim: %s\n", text.c_str());
    std::fflush(stderr);
}

std::string SocketPath(const char* name)
{
    const PipeDirectoryResult dir = PipeDirectory();
    if (!dir.ok()) {
        SimError(dir.error.toStdString());
        return {};
    }
    return QFile::encodeName(dir.path).toStdString() + "/" + name;
}

bool ParseAxis(const QString& text, float& beg, float& end, float& inc)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return false;
    float values[3];
    for (int i = 0; i < 3; ++i) {
        const QByteArray part = parts[i].trimmed().toLatin1();
        const char* first = part.constData();
        const char* last = first + part.size();
        if (first != last && *first == '+')
            ++first;
        const auto [stop, ec] = std::from_chars(first, last, values[i]);
        if (part.isEmpty() || ec != std::errc() || stop != last || !std::isfinite(values[i]))
            return false;
    }
    beg = values[0];
    end = values[1];
    inc = values[2];
    return true;
}

bool CSimLink::Open()
{
    const std::string path = SocketPath(kCommandSocketName);
    if (path.empty())
        return false;
    std::string error;
    if (!m_server.Listen(path, error)) {
        SimError(error);
        return false;
    }
    return true;
}

bool CSimLink::Exchange(const PipeMessage& request, std::int32_t& status)
{
    lastWasStop = false;
    const CInstrumentServer::Result result =
        m_server.Exchange(request, status, connectTimeoutMs, replyTimeoutMs, m_stop.Fd());
    if (result == CInstrumentServer::Result::Ok)
        return true;
    if (result == CInstrumentServer::Result::Stopped) {
        lastWasStop = true;
        return false;
    }
    if (result == CInstrumentServer::Result::NoReply && replyTimeoutMs >= 0)
        SimError("no reply to command " + FormatInt(request.code) + " within " +
                 FormatInt(replyTimeoutMs / 1000) + " s, or the connection broke");
    else
        SimError(CInstrumentServer::Describe(result));
    return false;
}
