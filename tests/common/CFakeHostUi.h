#pragma once

#include "IHostUi.h"

#include <QStringList>

#include <deque>
#include <functional>

// Records every message and answers from a script (the default answer when the script is
// empty), so tests never meet a real modal box.
class CFakeHostUi : public IHostUi
{
public:
    Answer ShowMessage(const QString& text, Buttons, Answer defaultAnswer) override
    {
        messages << text;
        if (answers.empty())
            return defaultAnswer;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void BeginWaitCursor() override { ++waitDepth, ++waitCount; }
    void EndWaitCursor() override { --waitDepth; }
    int ExecDialog(QDialog& dialog) override { return dialogHandler ? dialogHandler(dialog) : 0; }
    void SetStatusText(const QString& text) override { statusText = text; }

    QStringList messages;
    std::deque<Answer> answers;
    std::function<int(QDialog&)> dialogHandler;
    QString statusText;
    int waitDepth = 0;
    int waitCount = 0;
};
