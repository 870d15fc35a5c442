#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "core/day_date.h"
#include "core/formats.h"
#include "core/money.h"
#include "core/sjis.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;

TEST(Formats, AmountsRoundHalfAwayFromZeroWithSeparators)
{
    const auto n = [](std::int64_t stored) { return Money::fromStored(stored).textN(); };
    EXPECT_EQ(n(0), u"         0"_s);
    EXPECT_EQ(n(12345670000), u" 1,234,567"_s);
    EXPECT_EQ(n(-12345670000), u"-1,234,567"_s);
    EXPECT_EQ(n(15000), u"         2"_s);
    EXPECT_EQ(n(-15000), u"        -2"_s);
    EXPECT_EQ(n(14999), u"         1"_s);
    EXPECT_EQ(n(-4000), u"         0"_s) << "no minus on a zero";
    EXPECT_EQ(n(1234567890120000), u"123,456,789,012"_s) << "wider than 10 is not cut";
    EXPECT_EQ(n(INT64_MIN), u"-922,337,203,685,478"_s);
    EXPECT_EQ(n(INT64_MAX), u"922,337,203,685,478"_s);
    EXPECT_EQ(Money::fromStored(-12345670000).textF(), u"  -1234567"_s);
    EXPECT_EQ(Money::fromStored(999'999'999'995'000).textF(), u"100000000000"_s);

    // General format: no separators, no rounding, decimals only when there are some.
    const auto g = [](std::int64_t stored) { return formats::general(Money::fromStored(stored)); };
    EXPECT_EQ(g(0), u"0"_s);
    EXPECT_EQ(g(12345670000), u"1234567"_s);
    EXPECT_EQ(g(15000), u"1.5"_s);
    EXPECT_EQ(g(-12345), u"-1.2345"_s);
    EXPECT_EQ(g(-1), u"-0.0001"_s);
    EXPECT_EQ(g(INT64_MIN), u"-922337203685477.5808"_s);
}

TEST(Money, EnteredValuesRoundHalfToEvenAndSumExactly)
{
    EXPECT_EQ(Money::fromValue(1234.5L).stored(), 12345000);
    EXPECT_EQ(Money::fromValue(0.03125L).stored(), 312);
    EXPECT_EQ(Money::fromValue(0.09375L).stored(), 938);
    EXPECT_EQ(Money::fromValue(-0.09375L).stored(), -938);
    EXPECT_EQ(Money::fromValue(-0.03125L).stored(), -312);
    EXPECT_EQ(Money::fromValue(9999999999.0L).stored(), 99999999990000);
    EXPECT_EQ(Money::fromValue(1e30L).stored(), INT64_MAX) << "held within range, not wrapped";
    EXPECT_EQ(Money::fromValue(-1e30L).stored(), INT64_MIN);
    EXPECT_EQ(Money::fromValue(std::numeric_limits<long double>::quiet_NaN()).stored(), 0);
    EXPECT_EQ(Money::fromValue(1234.5L).value(), 1234.5L);

    // A float sum of these drifts; ten-thousandths add exactly.
    Money sum;
    for (int i = 0; i < 1000; ++i)
        sum += Money::fromValue(0.1L);
    EXPECT_EQ(sum, Money::fromStored(1'000'000));
    EXPECT_LT(Money::fromStored(-1), Money());
}

TEST(Formats, NumbersWithDecimals)
{
    EXPECT_EQ(formats::number(12.25L, 1, true, 3), u"12.3"_s);
    EXPECT_EQ(formats::number(-0.05L, 1, true, 0), u"-0.1"_s);
    EXPECT_EQ(formats::number(0.04L, 1, true, 5), u"  0.0"_s);
    EXPECT_EQ(formats::number(1234567.891L, 2, true, 0), u"1,234,567.89"_s);
    EXPECT_EQ(formats::number(1234567.0L, 0, false, 0), u"1234567"_s);
}

TEST(DayDates, CountFromTheEndOf1899)
{
    EXPECT_EQ(daydate::fromDate(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(daydate::fromDate(QDate(2001, 1, 5)), 36896.0);
    EXPECT_EQ(daydate::toDate(36896.75), QDate(2001, 1, 5));
    EXPECT_EQ(daydate::toDate(-1), QDate(1899, 12, 29));
    EXPECT_EQ(daydate::formatShort(36896), u"2001/01/05"_s);
    EXPECT_EQ(daydate::formatShort(1e300), QString()) << "garbage never crashes";
}

TEST(DayDates, MonthAndDayAsTheListsGiveThem)
{
    const struct
    {
        double day;
        QString text;
    } cases[] = {
        { 36896, u"01/05"_s },
        { 36896.9, u"01/05"_s },
        { 0, u"12/30"_s },
        { -1.5, u"12/29"_s },
        { 2958465, u"12/31"_s }, // 9999-12-31
        { -693593, u"01/01"_s }, // the year 1
        { -693594, QString() }, // the year 0, which QDate has not
        { -693959, QString() },
        { -693960, u"12/31"_s }, // the year -1
        { 1e12, QString() },
        { std::numeric_limits<double>::quiet_NaN(), QString() },
        { std::numeric_limits<double>::infinity(), QString() },
    };
    for (const auto &c : cases)
        EXPECT_EQ(daydate::formatMonthDay(c.day), c.text) << c.day;
    // Qt's own date format agrees wherever it has a date.
    for (double day = -694500; day < 3000000; day += day < -690000 ? 1 : 997) {
        const QDate date = daydate::toDate(day);
        ASSERT_EQ(
            daydate::formatMonthDay(day), date.isValid() ? date.toString(u"MM/dd"_s) : QString())
            << day;
    }
}

TEST(ShiftJis, ConvertsCountsAndCutsOnCharacterBoundaries)
{
    bool ok = false;
    const QByteArray bytes = sjis::encode(u"手形ﾃｶﾞﾀA"_s, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(bytes,
        QByteArray("\x8e\xe8\x8c\x60\xc3\xb6\xde\xc0"
                   "A"));
    EXPECT_EQ(sjis::decode(bytes), u"手形ﾃｶﾞﾀA"_s);
    EXPECT_EQ(sjis::byteLength(u"株式会社x"_s), 9);
    EXPECT_FALSE(sjis::canEncode(u"𠮷"_s));
    EXPECT_FALSE(sjis::canEncode(u"😀"_s));
    EXPECT_EQ(sjis::byteLength(u"😀"_s), -1);
    EXPECT_EQ(sjis::cutBytes(sjis::encode(u"a手形"_s), 4), sjis::encode(u"a手"_s));
    EXPECT_EQ(sjis::cutBytes(sjis::encode(u"a手形"_s), 5), sjis::encode(u"a手形"_s));
    // A dangling lead byte or an unmapped byte decodes to a replacement, never a crash.
    EXPECT_EQ(sjis::decode(QByteArray("A\x8e")), u"A\uFFFD"_s);
}

// A sum past the 64-bit range stops at its end instead of wrapping round to the other sign, and
// stays there.
TEST(Money, SumsStopAtTheEndsOfTheRange)
{
    const Money most = Money::fromStored(INT64_MAX - 5);
    const Money least = Money::fromStored(INT64_MIN + 5);
    EXPECT_EQ((most + Money::fromStored(10)).stored(), INT64_MAX);
    EXPECT_EQ((least + Money::fromStored(-10)).stored(), INT64_MIN);
    Money total = most;
    total += most;
    EXPECT_EQ(total.stored(), INT64_MAX);
    EXPECT_EQ((most + least).stored(), -1) << "sums within the range stay exact";
    EXPECT_EQ((total + Money::fromStored(-10)).stored(), INT64_MAX)
        << "once past the end, what lies beyond is not known: the sum stays there";
}
