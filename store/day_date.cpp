#include "store/day_date.h"

#include <chrono>
#include <cmath>

#include <QRegularExpression>

namespace {

constexpr std::chrono::sys_days Epoch = std::chrono::year { 1899 } / 12 / 30;

} // namespace

namespace daydate {

double wholeDay(double dayNumber)
{
    return std::trunc(dayNumber);
}

QDate toDate(double dayNumber)
{
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 3.0e6)
        return {};
    const std::chrono::sys_days day =
        Epoch + std::chrono::days { static_cast<int>(wholeDay(dayNumber)) };
    const std::chrono::year_month_day ymd { day };
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

QDate parseShort(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,4})/(\\d{1,2})/(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

} // namespace daydate
