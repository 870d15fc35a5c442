#include "controls/prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QString titleOf(MessageKind kind, const QString &plainTitle)
{
    switch (kind) {
    case MessageKind::Warning:
        return u"警告"_s;
    case MessageKind::Information:
        return u"情報"_s;
    case MessageKind::Error:
        return u"エラー"_s;
    case MessageKind::Plain:
        break;
    }
    return plainTitle;
}

QMessageBox::Icon iconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

// A はい/いいえ question has no harmless answer (at exit いいえ drops the unsaved work), so Esc and
// the window's close button leave it standing until one of the two is pressed.
class AnswerRequiredBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;
    bool answerRequired = false;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (answerRequired && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (answerRequired && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

MessageAnswer WidgetPrompter::message(
    QWidget *parent, MessageKind kind, const QString &text, MessageButtons buttons)
{
    AnswerRequiredBox box(
        iconOf(kind), titleOf(kind, plainTitle), text, QMessageBox::NoButton, parent);
    // Messages carry names from files (a lock holder's, a folder's): never markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton *first = nullptr;
    QPushButton *second = nullptr;
    switch (buttons) {
    case MessageButtons::Ok:
        first = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
        break;
    case MessageButtons::OkCancel:
    case MessageButtons::OkCancelSafe:
        first = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
        second = box.addButton(u"キャンセル"_s, QMessageBox::RejectRole);
        break;
    case MessageButtons::YesNo:
        first = box.addButton(u"はい(&Y)"_s, QMessageBox::YesRole);
        second = box.addButton(u"いいえ(&N)"_s, QMessageBox::NoRole);
        break;
    }
    box.setDefaultButton(buttons == MessageButtons::OkCancelSafe ? second : first);
    box.answerRequired = buttons == MessageButtons::YesNo;
    if (!box.answerRequired)
        box.setEscapeButton(second ? second : first);
    box.exec();
    const bool firstChosen = box.clickedButton() == first;
    if (buttons == MessageButtons::YesNo)
        return firstChosen ? MessageAnswer::Yes : MessageAnswer::No;
    return firstChosen ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

int WidgetPrompter::exec(QDialog &dialog)
{
    return dialog.exec();
}

QString chooseFolder(Prompter &prompter, QWidget *parent, const QString &title,
    const QString &objectName, const QString &startIn)
{
    QFileDialog dialog(parent, title);
    dialog.setObjectName(objectName);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!startIn.isEmpty() && QFileInfo(startIn).isDir())
        dialog.setDirectory(startIn);
    if (prompter.exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
