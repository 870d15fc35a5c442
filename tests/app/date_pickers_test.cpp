#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/date_picker.h"
#include "output/output_sheet.h"
#include "tests/support/main_window_fixture.h"

using namespace Qt::StringLiterals;

namespace {

const QDate Shown(2027, 1, 7);

enum class Ending { Enter, Tab };

struct Typed
{
    const char *what;
    QString text;
    QDate expected; // invalid: refused, the field keeps Shown
    bool wholeSelected = true; // false: only the year is selected before typing
    Ending ending = Ending::Enter;
};

// Japanese text arrives from the input method, not as key presses.
void type(QWidget *picker, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(picker, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(picker, &commit);
        }
    }
}

// Every date picker of every screen: the input sheet's issue and due dates, the output sheet's
// start and end dates.
class DatePickers : public RealMainWindow
{
protected:
    void SetUp() override
    {
        RealMainWindow::SetUp();
        auto *input = dynamic_cast<QWidget *>(window->inputSheet());
        ASSERT_NE(input, nullptr);
        output = std::make_unique<OutputSheet>(state, prompter, dataSheet);
        output->show();
        for (QWidget *screen : { input, static_cast<QWidget *>(output.get()) })
            for (const char *name : { "DP1", "DP2" }) {
                auto *picker = screen->findChild<DatePicker *>(QLatin1String(name));
                ASSERT_NE(picker, nullptr) << screen->objectName().toStdString() << name;
                pickers.push_back(picker);
            }
    }

    std::unique_ptr<OutputSheet> output;
    std::vector<DatePicker *> pickers;
};

} // namespace

TEST_F(DatePickers, TakeATypedDateAsTypedOrRefuseItWithABeep)
{
    const Typed cases[] = {
        { "a year other than the shown one", u"2024/01/31"_s, QDate(2024, 1, 31) },
        { "a leap day while a common year shows", u"2024/02/29"_s, QDate(2024, 2, 29) },
        { "one-digit month and day", u"2024/2/9"_s, QDate(2024, 2, 9) },
        { "eight digits", u"20240131"_s, QDate(2024, 1, 31) },
        { "hyphens", u"2024-01-31"_s, QDate(2024, 1, 31) },
        { "Reiwa in kanji", u"令和6年1月31日"_s, QDate(2024, 1, 31) },
        { "Reiwa's first year", u"令和元年5月1日"_s, QDate(2019, 5, 1) },
        { "Reiwa as R", u"R6.1.31"_s, QDate(2024, 1, 31) },
        { "full-width digits", u"２０２４／０１／３１"_s, QDate(2024, 1, 31) },
        { "no 29 February in a common year", u"2023/02/29"_s, QDate() },
        { "no thirteenth month", u"2024/13/01"_s, QDate() },
        { "no 31 April in eight digits", u"20240431"_s, QDate() },
        { "Reiwa had not begun", u"R1.4.30"_s, QDate() },
        { "half a date", u"2024/01"_s, QDate() },
        { "a new year over the selected year", u"2024"_s, QDate(2024, 1, 7), false },
        { "a whole date into the selected year", u"2024/02/29"_s, QDate(), false },
        { "Tab takes the date", u"2024/01/31"_s, QDate(2024, 1, 31), true, Ending::Tab },
        { "Tab refuses a wrong one", u"2024/02/30"_s, QDate(), true, Ending::Tab },
    };
    for (DatePicker *picker : pickers) {
        for (const Typed &c : cases) {
            SCOPED_TRACE(picker->parentWidget()->objectName().toStdString() + " "
                + picker->objectName().toStdString() + ": " + c.what);
            picker->setDate(Shown);
            QSignalSpy refused(picker, &DatePicker::refused);
            if (c.wholeSelected)
                QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            else
                picker->findChild<QLineEdit *>()->setSelection(0, 4);
            type(picker, c.text);
            if (c.ending == Ending::Enter) {
                QTest::keyClick(picker, Qt::Key_Return);
            } else {
                QTest::keyClick(picker, Qt::Key_Tab);
            }
            const QDate expected = c.expected.isValid() ? c.expected : Shown;
            EXPECT_EQ(picker->date(), expected);
            EXPECT_EQ(picker->text(), expected.toString(u"yyyy/MM/dd"_s));
            EXPECT_EQ(refused.count(), c.expected.isValid() ? 0 : 1);
        }
    }
}
