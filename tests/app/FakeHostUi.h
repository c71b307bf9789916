#pragma once

#include "IHostUi.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

// Readable values in the test messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{';
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << '}';
}

// A host that records every message and answers from a script instead of a real modal
// box: the next queued answer, else the message's default.
class FakeHostUi : public IHostUi
{
public:
    Answer ShowMessage(const QString& text, Buttons buttons, Answer defaultAnswer) override
    {
        messages << text;
        buttonSets << buttons;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return defaultAnswer;
    }
    void BeginWaitCursor() override { ++waitDepth, ++waitCount; }
    void EndWaitCursor() override { --waitDepth; }
    int ExecDialog(QDialog& dialog) override
    {
        dialogs << dialog.windowTitle();
        return onDialog ? onDialog(dialog) : QDialog::Rejected;
    }
    void SetStatusText(const QString& text) override { statusTexts << text; }

    QStringList messages;
    QList<Buttons> buttonSets;
    QList<Answer> answers;
    QStringList dialogs;
    QStringList statusTexts;
    std::function<int(QDialog&)> onDialog;
    int waitDepth = 0;
    int waitCount = 0;
};
