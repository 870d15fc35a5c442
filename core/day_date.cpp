#include "core/day_date.h"

namespace daydate {

QDate toDate(double dayNumber)
{
    if (!isDay(dayNumber))
        return {};
    const std::chrono::year_month_day ymd = calendarDay(dayNumber);
    return QDate(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
        static_cast<int>(static_cast<unsigned>(ymd.day())));
}

double fromDate(QDate date)
{
    const std::chrono::year_month_day ymd { std::chrono::year { date.year() },
        std::chrono::month { static_cast<unsigned>(date.month()) },
        std::chrono::day { static_cast<unsigned>(date.day()) } };
    return static_cast<double>((std::chrono::sys_days { ymd } - Epoch).count());
}

QString formatShort(double dayNumber)
{
    const QDate date = toDate(dayNumber);
    return date.isValid() ? date.toString(QString::fromUtf16(ShortFormat)) : QString();
}

QString formatMonthDay(double dayNumber)
{
    char text[5];
    return QString::fromLatin1(text, static_cast<qsizetype>(monthDay(dayNumber, text)));
}

} // namespace daydate
