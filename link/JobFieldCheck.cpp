#include "link/JobFieldCheck.h"

#include <climits>

std::optional<QString> JobTextProblem(const QString& label, const QString& text)
{
    const qsizetype bytes = text.toUtf8().size();
    if (bytes <= kJobTextBytes)
        return std::nullopt;
    return QStringLiteral("%1 is too long to send: %2 bytes in UTF-8, at most %3.")
        .arg(label)
        .arg(bytes)
        .arg(kJobTextBytes);
}

std::optional<int> SampleNumberOfField(const QString& text)
{
    if (text.isEmpty())
        return 0;
    long long value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > INT_MAX)
            return std::nullopt;
    }
    return static_cast<int>(value);
}

QString SampleNumberProblem()
{
    return QStringLiteral("Sample Number must be a whole number from 0 to %1.").arg(INT_MAX);
}
