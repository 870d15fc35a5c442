#pragma once

#include <chrono>
#include <cmath>
#include <cstddef>
#include <span>

#include <QDate>
#include <QString>

// Dates are stored as day numbers counted from 1899-12-30 (day 0); the fraction would be the
// time of day, which this system never stores.
namespace daydate {

QDate toDate(double dayNumber);
double fromDate(QDate date);
// The whole day of a stored value, cutting any time part toward zero.
inline double wholeDay(double dayNumber)
{
    return std::trunc(dayNumber);
}

// Day 0 of the stored numbers.
inline constexpr std::chrono::sys_days Epoch = std::chrono::year { 1899 } / 12 / 30;

// Whether a stored value stands for a day at all; beyond these some eight thousand years it is
// damage, not a date.
inline bool isDay(double dayNumber)
{
    return std::isfinite(dayNumber) && std::fabs(dayNumber) <= 3.0e6;
}

// The calendar day of a value for which isDay holds.
inline std::chrono::year_month_day calendarDay(double dayNumber)
{
    return std::chrono::year_month_day { Epoch
        + std::chrono::days { static_cast<int>(wholeDay(dayNumber)) } };
}

// The short date format of every screen and list: yyyy/MM/dd.
QString formatShort(double dayNumber);
inline constexpr const char16_t *ShortFormat = u"yyyy/MM/dd";

// "MM/dd" of a stored date, as the lists and their CSV files give it: nothing for a value no
// calendar date stands for. Written straight into out, for files of a million lines; the count
// of characters written (5 or 0).
inline std::size_t monthDay(double dayNumber, std::span<char, 5> out)
{
    if (!isDay(dayNumber))
        return 0;
    const std::chrono::year_month_day ymd = calendarDay(dayNumber);
    // The year 0 has no QDate, so the dates of the texts leave it out too.
    if (static_cast<int>(ymd.year()) == 0)
        return 0;
    const auto month = static_cast<unsigned>(ymd.month());
    const auto day = static_cast<unsigned>(ymd.day());
    out[0] = static_cast<char>('0' + month / 10);
    out[1] = static_cast<char>('0' + month % 10);
    out[2] = '/';
    out[3] = static_cast<char>('0' + day / 10);
    out[4] = static_cast<char>('0' + day % 10);
    return out.size();
}
QString formatMonthDay(double dayNumber);

} // namespace daydate

// Where "today" comes from, so that tests never depend on the machine's date.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    double todayNumber() const { return daydate::fromDate(today()); }
};

class SystemClock : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(QDate day)
        : day_(day)
    {
    }
    QDate today() const override { return day_; }
    void set(QDate day) { day_ = day; }

private:
    QDate day_;
};
