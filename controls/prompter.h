#pragma once

#include <QString>

class QDialog;
class QWidget;

enum class MessageKind { Warning, Information, Plain, Error };
// OkCancelSafe: OK and キャンセル with キャンセル under Enter, for a question that a key pressed by
// habit must not answer with OK.
enum class MessageButtons { Ok, OkCancel, OkCancelSafe, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Every message box and every modal screen opened by a command goes through this seam, so tests
// can answer them without a real modal loop.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer message(
        QWidget *parent, MessageKind kind, const QString &text, MessageButtons buttons) = 0;
    // Shows a dialog modally and returns its result code.
    virtual int exec(QDialog &dialog) = 0;

    void warn(QWidget *parent, const QString &text)
    {
        message(parent, MessageKind::Warning, text, MessageButtons::Ok);
    }
    void inform(QWidget *parent, const QString &text)
    {
        message(parent, MessageKind::Information, text, MessageButtons::Ok);
    }
    void error(QWidget *parent, const QString &text)
    {
        message(parent, MessageKind::Error, text, MessageButtons::Ok);
    }
};

// The real thing: QMessageBox with the system's titles ("警告", "情報") and button texts.
class WidgetPrompter : public Prompter
{
public:
    MessageAnswer message(
        QWidget *parent, MessageKind kind, const QString &text, MessageButtons buttons) override;
    int exec(QDialog &dialog) override;

    // Title of the plain notices: the application's caption.
    QString plainTitle;
};

// A folder picked in a folder dialog shown through the prompter (titled title, named objectName for
// tests), opening in startIn when that is a folder; empty when none was picked.
QString chooseFolder(Prompter &prompter, QWidget *parent, const QString &title,
    const QString &objectName, const QString &startIn = {});
