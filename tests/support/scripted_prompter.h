#pragma once

#include <deque>
#include <functional>

#include <QDialog>
#include <QStringList>

#include "controls/prompter.h"
#include "tests/support/qt_printers.h"

// Answers message boxes from a queue (default: the first button) and runs modal dialogs through
// a handler instead of a modal loop, recording what was shown.
class ScriptedPrompter : public Prompter
{
public:
    struct Shown
    {
        MessageKind kind;
        QString text;
        MessageButtons buttons;
    };

    MessageAnswer message(
        QWidget *, MessageKind kind, const QString &text, MessageButtons buttons) override
    {
        shown.push_back({ kind, text, buttons });
        if (!answers.empty()) {
            const MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

    int exec(QDialog &dialog) override
    {
        dialogs << dialog.objectName();
        if (onDialog)
            return onDialog(dialog);
        return QDialog::Rejected;
    }

    QStringList texts() const
    {
        QStringList t;
        for (const Shown &s : shown)
            t << s.text;
        return t;
    }

    std::deque<MessageAnswer> answers;
    std::vector<Shown> shown;
    QStringList dialogs;
    std::function<int(QDialog &)> onDialog;
};
