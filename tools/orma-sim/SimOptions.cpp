#include "tools/orma-sim/SimOptions.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

template <typename T>
bool ParseWhole(const QString& text, T& value)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first != last && *first == '+')
        ++first;
    const auto [stop, ec] = std::from_chars(first, last, value);
    return first != last && ec == std::errc() && stop == last;
}

} // namespace

bool ParseFloat(const QString& text, float& value)
{
    return ParseWhole(text, value) && std::isfinite(value);
}

bool ParseInt(const QString& text, int& value)
{
    return ParseWhole(text, value);
}

CSimOptions::CSimOptions(const char* command, const char* description, bool linkOptions)
    : m_command(QString::fromLatin1(command)), m_linkOptions(linkOptions)
{
    parser.setApplicationDescription(QString::fromLatin1(description));
    parser.addHelpOption();
    if (linkOptions) {
        parser.addOption({"connect-timeout",
                          "Seconds to wait for Vespira to connect for each command (default 5).",
                          "s", "5"});
        parser.addOption({"reply-timeout",
                          "Seconds to wait for each reply; a message box in Vespira holds the "
                          "reply until it is closed (default 120).",
                          "s", "120"});
    }
}

int CSimOptions::Parse(const QStringList& args)
{
    QStringList all = args;
    all.prepend(QStringLiteral("orma-sim ") + m_command);
    if (!parser.parse(all)) {
        SimError(parser.errorText().toStdString());
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return -1;
    }
    return kExitOk;
}

bool CSimOptions::Number(const QString& name, double& value) const
{
    const QString text = parser.value(name);
    float parsed = 0.0f;
    if (!ParseFloat(text, parsed) || parsed < 0) {
        SimError("--" + name.toStdString() + " needs a number of 0 or more, not '" +
                 text.toStdString() + "'");
        return false;
    }
    value = parsed;
    return true;
}

int CSimOptions::OpenLink(CSimLink& link) const
{
    if (m_linkOptions) {
        double connect = 0.0;
        double reply = 0.0;
        if (!Number(QStringLiteral("connect-timeout"), connect) ||
            !Number(QStringLiteral("reply-timeout"), reply) || connect > 86400 || reply > 86400) {
            SimError("time-outs are given in seconds, at most 86400");
            return kExitUsage;
        }
        link.connectTimeoutMs = static_cast<int>(connect * 1000.0);
        link.replyTimeoutMs = static_cast<int>(reply * 1000.0);
    }
    return link.Open() ? kExitOk : kExitLink;
}
