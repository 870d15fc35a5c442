#include "controls/prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
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

} // namespace

MessageAnswer WidgetPrompter::message(
    QWidget *parent, MessageKind kind, const QString &text, MessageButtons buttons)
{
    QMessageBox box(iconOf(kind), titleOf(kind, plainTitle), text, QMessageBox::NoButton, parent);
    // Messages carry names from files (a lock holder's, a folder's): never markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton *first = nullptr;
    QPushButton *second = nullptr;
    switch (buttons) {
    case MessageButtons::Ok:
        first = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
        break;
    case MessageButtons::OkCancel:
        first = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
        second = box.addButton(u"キャンセル"_s, QMessageBox::RejectRole);
        break;
    case MessageButtons::YesNo:
        first = box.addButton(u"はい(&Y)"_s, QMessageBox::YesRole);
        second = box.addButton(u"いいえ(&N)"_s, QMessageBox::NoRole);
        break;
    }
    box.setDefaultButton(first);
    if (second)
        box.setEscapeButton(second);
    else
        box.setEscapeButton(first);
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
