#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "controls/prompter.h"

using namespace Qt::StringLiterals;

namespace {

// Acts on the box once it is up, then, if it is still there, says so and answers it with the
// button of the given text, so a box that ignored the act never blocks the test.
MessageAnswer answerAfter(MessageButtons buttons, const std::function<void(QMessageBox &)> &act,
    const QString &fallback, bool *stillOpen)
{
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no box";
            return;
        }
        act(*box);
        // Enter presses its button with an animated click, which ends a moment later. The box as
        // the timer's context: a box already answered and gone stops it.
        QTimer::singleShot(300, box, [box, fallback, stillOpen] {
            *stillOpen = box->isVisible();
            for (QAbstractButton *button : box->buttons())
                if (button->text() == fallback)
                    button->click();
            box->done(0); // a box without that button must not hang the test
        });
    });
    WidgetPrompter prompter;
    return prompter.message(nullptr, MessageKind::Information, u"\n質問"_s, buttons);
}

} // namespace

// At exit いいえ throws away the unsaved notes: neither Esc nor the close button may answer it. A
// question with キャンセル keeps Esc as its harmless answer, and the one asked before storing a
// note again keeps Enter on キャンセル too.
TEST(WidgetPrompter, EscAndCloseNeverTakeTheDestructiveAnswer)
{
    const auto escape = [](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); };
    const auto closeBox = [](QMessageBox &box) { box.close(); };
    const auto enter = [](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Return); };
    struct Case
    {
        MessageButtons buttons;
        std::function<void(QMessageBox &)> act;
        bool stays;
        MessageAnswer answer;
    };
    const Case cases[] = {
        { MessageButtons::YesNo, escape, true, MessageAnswer::Yes },
        { MessageButtons::YesNo, closeBox, true, MessageAnswer::Yes },
        { MessageButtons::OkCancel, escape, false, MessageAnswer::Cancel },
        { MessageButtons::OkCancelSafe, enter, false, MessageAnswer::Cancel },
    };
    for (const Case &c : cases) {
        bool stillOpen = false;
        const MessageAnswer answer = answerAfter(c.buttons, c.act, u"はい(&Y)"_s, &stillOpen);
        EXPECT_EQ(stillOpen, c.stays);
        EXPECT_EQ(answer, c.answer);
    }
}
