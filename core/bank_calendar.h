#pragma once

#include <chrono>

#include <QDate>
#include <QString>

// Japanese national holidays and the days banks are closed, for settling notes on their due dates.
// The holidays are known for 2000–2099, as the national holiday law (国民の祝日に関する法律) and
// its special acts set them; outside those years no day is a national holiday, and only weekends
// and the year-end closing keep banks shut.
namespace bankcalendar {

inline constexpr int FirstYear = 2000;
inline constexpr int LastYear = 2099;

// Whether the day is a national holiday or a 休日 under the law: the fixed days, the Monday
// holidays, the equinox days, a substitute for a holiday on Sunday (振替休日) and a day between two
// holidays (国民の休日).
bool isNationalHoliday(QDate day);
// The holiday's name as the government's list gives it ("元日", "成人の日", …, "休日" for
// substitute and in-between days, "休日（祝日扱い）" for the 2019 enthronement days); empty on
// other days.
QString holidayName(QDate day);
// Banks are closed on Saturdays, Sundays, national holidays and from 12/31 to 1/3.
bool isBankHoliday(QDate day);
// The bank day on which a note due on `due` settles: `due` itself when banks are open that day,
// otherwise the next day they are.
QDate settlementDay(QDate due);

// A calendar date as a constant: QDate's own constructor cannot be evaluated at compile time.
constexpr QDate constantDate(std::chrono::year_month_day day)
{
    constexpr qint64 unixEpochJulianDay = 2440588;
    return QDate::fromJulianDay(
        std::chrono::sys_days { day }.time_since_epoch().count() + unixEpochJulianDay);
}

// The first day the clearing houses (手形交換所, 電子交換所) no longer exchange paper notes and
// cheques: the Japanese Bankers Association plans to end paper clearing with fiscal 2026, that is
// at the end of March 2027.
inline constexpr QDate PaperClearingEnds = constantDate(std::chrono::year { 2027 } / 4 / 1);

} // namespace bankcalendar
