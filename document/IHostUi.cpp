#include "document/IHostUi.h"

#include <cstdio>

QString MessageLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QLatin1String("message: ") + line;
}

IHostUi::Answer CStderrUi::ShowMessage(const QString& text, Buttons, Answer defaultAnswer)
{
    std::fprintf(stderr, "%s\n", MessageLine(text).toLocal8Bit().constData());
    std::fflush(stderr);
    return defaultAnswer;
}

int IHostUi::AskQuestion(const QString& text, const QStringList&, int defaultButton, int)
{
    ShowMessage(text);
    return defaultButton;
}

int IHostUi::ExecDialog(QDialog&)
{
    return 0;
}
