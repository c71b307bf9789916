#include "display/dialogs/WholeNumber.h"

#include <QRegularExpression>

#include <limits>

std::optional<long long> WholeNumber(const QString& text)
{
    static const QRegularExpression kNumber(QStringLiteral("^\\s*([+-]?)\\d+\\s*$"));
    const QRegularExpressionMatch match = kNumber.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const long long number = text.trimmed().toLongLong(&ok);
    if (ok)
        return number;
    return match.captured(1) == QLatin1String("-") ? std::numeric_limits<long long>::min()
                                                   : std::numeric_limits<long long>::max();
}
