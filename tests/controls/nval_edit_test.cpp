#include <gtest/gtest.h>

#include <memory>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

#include "controls/nval_edit.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;

namespace {

QAction *menuAction(QMenu *menu, const QString &name)
{
    for (QAction *action : menu->actions()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

// A form with the amount field between two plain edits, shown and active so focus moves.
struct Form
{
    Form()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(edit);
        layout->addWidget(after);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
    }

    QWidget window;
    QLineEdit *before = new QLineEdit(&window);
    TNValEdit *edit = new TNValEdit(&window);
    QLineEdit *after = new QLineEdit(&window);
};

} // namespace

TEST(TNValEdit, TypedKeysGoThroughTheNumberRules)
{
    TNValEdit edit;
    EXPECT_TRUE(edit.alignment() & Qt::AlignRight);
    QSignalSpy changes(&edit, &QLineEdit::textChanged);
    QTest::keyClicks(&edit, u"12a34"_s);
    EXPECT_EQ(edit.text(), u"1,234"_s);
    EXPECT_EQ(edit.Value(), 1234);
    EXPECT_EQ(changes.count(), 4); // one per accepted digit, none for the letter
    EXPECT_TRUE(edit.isModified());

    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 5);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), u"123"_s);
    QTest::keyClick(&edit, Qt::Key_Minus);
    EXPECT_EQ(edit.text(), u"-123"_s);
    QTest::keyClick(&edit, Qt::Key_Home);
    EXPECT_EQ(edit.selectedText(), u"-123"_s);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), u""_s);
    EXPECT_EQ(edit.Value(), 0);
}

TEST(TNValEdit, KeyboardPasteCutAndUndoUseTheNumberRules)
{
    TNValEdit edit;
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->setText(u"１，２３４"_s);
    QTest::keyClicks(&edit, u"9"_s);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), u"1,234"_s);
    EXPECT_EQ(edit.Value(), 1234);

    clipboard->setText(u"12,34"_s);
    QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit.text(), u""_s);

    edit.setValue(5678);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), u"5,678"_s);
    EXPECT_EQ(edit.text(), u""_s);
    EXPECT_EQ(edit.Value(), 0);

    // Undo reads back what the field shows: a hidden fraction goes.
    edit.setFixDecimal(0);
    edit.setValue(12.7L);
    ASSERT_EQ(edit.text(), u"13"_s);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.Value(), 13);

    edit.setReadOnly(true);
    clipboard->setText(u"7"_s);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(&edit, u"3"_s);
    EXPECT_EQ(edit.text(), u"13"_s);
}

TEST(TNValEdit, ContextMenuActionsUseTheNumberRules)
{
    TNValEdit edit;
    edit.setValue(100);
    QApplication::clipboard()->setText(u"$1,234.5"_s);
    std::unique_ptr<QMenu> menu(edit.createNValContextMenu());
    QAction *paste = menuAction(menu.get(), u"edit-paste"_s);
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    EXPECT_EQ(edit.Value(), 1234.5L);
    EXPECT_EQ(edit.text(), u"1,234.5"_s);

    edit.selectAll();
    menu.reset(edit.createNValContextMenu());
    QAction *remove = menuAction(menu.get(), u"edit-delete"_s);
    ASSERT_NE(remove, nullptr);
    remove->trigger();
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_EQ(edit.text(), u""_s);
}

TEST(TNValEdit, TextSetFromOutsideIsReadAsANumber)
{
    TNValEdit edit;
    edit.setText(u"１２，３４５"_s);
    EXPECT_EQ(edit.Value(), 12345);
    EXPECT_EQ(edit.text(), u"12,345"_s);
    edit.clear();
    EXPECT_EQ(edit.Value(), 0);
}

TEST(TNValEdit, FocusSavesTheValueAndFillsFixedDecimals)
{
    Form form;
    form.edit->setFixDecimal(2);
    form.edit->setValue(3);
    form.before->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.before, Qt::Key_Tab);
    ASSERT_TRUE(form.edit->hasFocus());
    EXPECT_FALSE(form.edit->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(form.edit->selectedText(), u"3.00"_s);

    QTest::keyClicks(form.edit, u"12.5"_s);
    EXPECT_EQ(form.edit->text(), u"12.5"_s);
    QTest::keyClick(form.edit, Qt::Key_Escape);
    EXPECT_EQ(form.edit->text(), u"3.00"_s);

    form.edit->selectAll();
    QTest::keyClicks(form.edit, u"12.5"_s);
    form.after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(form.edit->text(), u"12.50"_s);
    EXPECT_EQ(form.edit->Value(), 12.5L);

    form.edit->setAutoSelect(false);
    QTest::keyClick(form.after, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(form.edit->hasFocus());
    EXPECT_FALSE(form.edit->hasSelectedText());
    QTest::keyClicks(form.edit, u"7"_s); // an extra decimal, refused
    EXPECT_EQ(form.edit->text(), u"12.50"_s);
}

TEST(TNValEdit, EnterAndArrowsMoveTheFocusWhenAsked)
{
    Form form;
    form.edit->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(form.edit->hasFocus());
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_TRUE(form.edit->hasFocus());

    form.edit->setEnterNext(true);
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_TRUE(form.after->hasFocus());

    form.edit->setArrowNext(true);
    form.edit->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(form.edit, Qt::Key_Up);
    EXPECT_TRUE(form.before->hasFocus());
    form.edit->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(form.edit, Qt::Key_Down);
    EXPECT_TRUE(form.after->hasFocus());
}

TEST(TNValEdit, ClickPutsTheCaretAtTheEnd)
{
    Form form;
    form.edit->setValue(123456);
    form.edit->setFocus(Qt::OtherFocusReason);
    QTest::mouseClick(form.edit, Qt::LeftButton, {}, QPoint(4, form.edit->height() / 2));
    EXPECT_FALSE(form.edit->hasSelectedText());
    EXPECT_EQ(form.edit->cursorPosition(), form.edit->text().size());
}

TEST(TNValEdit, NegativeNumbersShowInTheMinusColor)
{
    TNValEdit edit;
    edit.setMinusColor(Qt::red);
    const QColor normal = edit.FontColor();
    QTest::keyClicks(&edit, u"-5"_s);
    EXPECT_EQ(edit.FontColor(), QColor(Qt::red));
    QTest::keyClicks(&edit, u"-"_s);
    EXPECT_EQ(edit.FontColor(), normal);

    edit.setFontColor(Qt::blue); // becomes the colour of non-negative numbers
    EXPECT_EQ(edit.FontColor(), QColor(Qt::blue));
    QTest::keyClicks(&edit, u"-"_s);
    EXPECT_EQ(edit.FontColor(), QColor(Qt::red));
    QTest::keyClicks(&edit, u"-"_s);
    EXPECT_EQ(edit.FontColor(), QColor(Qt::blue));
}

TEST(TNValEdit, ShiftDeleteFollowsTheDeleteKeyAndLeavesTheMenuItsShortcut)
{
    Form form;
    form.edit->setFocus();
    form.edit->setValue(1234);
    form.edit->deselect();
    QTest::keyClick(form.edit, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(form.edit->Value(), 1234) << "nothing selected: the key is ignored, not a cut";

    form.edit->selectAll();
    QTest::keyClick(form.edit, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(form.edit->Value(), 0);

    // With a window command on Shift+Del, the command gets the key and the amount stays.
    QAction remove(&form.window);
    remove.setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    form.window.addAction(&remove);
    QSignalSpy triggered(&remove, &QAction::triggered);
    form.edit->setValue(55);
    form.edit->selectAll();
    QTest::keyClick(form.edit, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(form.edit->Value(), 55);
}

// A refused keystroke is said beside the field, as the amount field of the input sheet is set up.
TEST(TNValEdit, ARefusedKeySaysWhyBesideTheField)
{
    struct Case
    {
        QString typed;
        QString shown;
        QString reason;
    };
    const Case cases[] = {
        { u"12a"_s, u"12"_s, u"入力できるのは数字と「-」「.」だけです。"_s },
        { u"123456789012"_s, u"1,234,567,890"_s, u"これ以上の桁は入力できません（10桁まで）。"_s },
    };
    for (const Case &c : cases) {
        Form form;
        form.edit->setMaxDigits(10);
        form.edit->setFocus();
        QTest::keyClicks(form.edit, c.typed);
        EXPECT_EQ(form.edit->text(), c.shown);
        EXPECT_TRUE(QToolTip::isVisible()) << c.typed.toStdString();
        EXPECT_EQ(QToolTip::text(), c.reason);
        QToolTip::hideText();
    }
}
