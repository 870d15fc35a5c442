#include <gtest/gtest.h>

#include <QFile>
#include <QHash>

#include "core/bank_calendar.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;

namespace {

std::string iso(QDate day)
{
    return day.toString(Qt::ISODate).toStdString();
}

// The government's own list of holidays: a header line, then "2020/1/1,元日" lines.
QHash<QDate, QString> governmentList()
{
    QFile file(QStringLiteral(QT_TESTCASE_SOURCEDIR "/core/data/holidays-2020-2027.csv"));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
        return {};
    }
    QHash<QDate, QString> listed;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.trimmed().split(u',');
        const QDate day = QDate::fromString(fields.value(0), u"yyyy/M/d"_s);
        if (fields.size() != 2 || !day.isValid())
            ADD_FAILURE() << "unreadable line: " << line.toStdString();
        listed.insert(day, fields.value(1));
    }
    return listed;
}

} // namespace

TEST(BankCalendar, HolidaysAreTheGovernmentsFor2020To2027)
{
    const QHash<QDate, QString> listed = governmentList();
    ASSERT_FALSE(listed.isEmpty());
    for (QDate day(2020, 1, 1); day <= QDate(2027, 12, 31); day = day.addDays(1)) {
        const QString name = listed.value(day);
        EXPECT_EQ(bankcalendar::isNationalHoliday(day), !name.isEmpty()) << iso(day);
        EXPECT_EQ(bankcalendar::holidayName(day), name) << iso(day);
    }
}

// Rules the listed years never exercise: the enthronement of 2019, the names and days changed
// since 2000, and the narrower in-between rule before 2007.
TEST(BankCalendar, HolidaysOfEarlierYears)
{
    const struct
    {
        QDate day;
        QString name;
    } cases[] = {
        { QDate(2000, 1, 10), u"成人の日"_s },
        { QDate(2002, 9, 16), u"休日"_s }, // 敬老の日 was the 15th, a Sunday
        { QDate(2003, 7, 21), u"海の日"_s },
        { QDate(2003, 5, 4), QString() }, // a Sunday between two holidays
        { QDate(2006, 4, 29), u"みどりの日"_s },
        { QDate(2009, 5, 6), u"休日"_s }, // 5/3 on Sunday, followed by two holidays
        { QDate(2015, 9, 22), u"休日"_s },
        { QDate(2015, 8, 11), QString() },
        { QDate(2018, 12, 24), u"休日"_s },
        { QDate(2019, 4, 30), u"休日"_s },
        { QDate(2019, 5, 1), u"休日（祝日扱い）"_s },
        { QDate(2019, 5, 2), u"休日"_s },
        { QDate(2019, 10, 14), u"体育の日（スポーツの日）"_s },
        { QDate(2019, 10, 22), u"休日（祝日扱い）"_s },
        { QDate(2019, 12, 23), QString() },
    };
    for (const auto &c : cases)
        EXPECT_EQ(bankcalendar::holidayName(c.day), c.name) << iso(c.day);
}

TEST(BankCalendar, NotesSettleOnTheNextBankDay)
{
    const struct
    {
        QDate due;
        QDate settles;
    } cases[] = {
        { QDate(2026, 5, 13), QDate(2026, 5, 13) }, // a Wednesday
        { QDate(2024, 2, 29), QDate(2024, 2, 29) },
        { QDate(2026, 5, 16), QDate(2026, 5, 18) }, // Saturday
        { QDate(2027, 1, 10), QDate(2027, 1, 12) }, // Sunday before 成人の日
        { QDate(2026, 11, 3), QDate(2026, 11, 4) }, // 文化の日, a Tuesday
        { QDate(2026, 9, 21), QDate(2026, 9, 24) }, // a holiday, a day between two, a holiday
        { QDate(2026, 5, 2), QDate(2026, 5, 7) }, // Golden Week with a substitute day
        { QDate(2024, 12, 31), QDate(2025, 1, 6) }, // closed to 1/3 though 1/2 and 1/3 are weekdays
        { QDate(2025, 1, 2), QDate(2025, 1, 6) }, { QDate(2026, 12, 31), QDate(2027, 1, 4) },
        { QDate(2027, 1, 3), QDate(2027, 1, 4) },
        { QDate(1999, 12, 31), QDate(2000, 1, 4) }, // before the years known
        { QDate(2099, 12, 31), QDate(2100, 1, 4) }, // out of them
    };
    for (const auto &c : cases) {
        EXPECT_EQ(iso(bankcalendar::settlementDay(c.due)), iso(c.settles)) << "due " << iso(c.due);
        EXPECT_EQ(bankcalendar::isBankHoliday(c.due), c.due != c.settles) << iso(c.due);
    }
}

TEST(BankCalendar, PaperClearingEndsWithMarch2027)
{
    EXPECT_EQ(iso(bankcalendar::PaperClearingEnds), "2027-04-01");
}
