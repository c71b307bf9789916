#pragma once

#include "document/IHostUi.h"
#include "tests/common/QtPrinters.h"

#include <QList>
#include <QStringList>

#include <functional>

// Records every message and answers from a script (the default answer when the script is
// empty), so tests never meet a real modal box. Dialogs are answered by dialogHandler,
// else rejected.
class CFakeHostUi : public IHostUi
{
public:
    Answer ShowMessage(const QString& text, Buttons buttons, Answer defaultAnswer) override
    {
        messages << text;
        buttonSets << buttons;
        if (onMessage)
            onMessage(text);
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }
    void BeginWaitCursor() override { ++waitDepth, ++waitCount; }
    void EndWaitCursor() override { --waitDepth; }
    int ExecDialog(QDialog& dialog) override
    {
        ++dialogCount;
        return dialogHandler ? dialogHandler(dialog) : 0;
    }
    void SetStatusText(const QString& text) override { statusText = text; }
    int AskQuestion(const QString& text, const QStringList& buttons, int defaultButton,
                    int) override
    {
        messages << text;
        questionButtons << buttons;
        if (onMessage)
            onMessage(text);
        return questionAnswers.isEmpty() ? defaultButton : questionAnswers.takeFirst();
    }
    void ShowNotice(const QString& text) override { notices << text; }

    QStringList messages;
    QList<Buttons> buttonSets;
    QList<Answer> answers;
    // Runs while a box is up, as the program's event loop runs under a modal box.
    std::function<void(const QString&)> onMessage;
    QList<QStringList> questionButtons;
    QList<int> questionAnswers;
    QStringList notices;
    std::function<int(QDialog&)> dialogHandler;
    int dialogCount = 0;
    QString statusText;
    int waitDepth = 0;
    int waitCount = 0;
};
