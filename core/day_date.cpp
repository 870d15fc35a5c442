#include "core/day_date.h"

#include <QRegularExpression>

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

QDate parseShort(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,4})/(\\d{1,2})/(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

namespace {

    // The first day of the Reiwa era; its year N is the Gregorian year 2018 + N.
    constexpr int ReiwaOffset = 2018;
    const QDate ReiwaBegins(2019, 5, 1);

    QDate dateOf(int year, int month, int day)
    {
        return QDate::isValid(year, month, day) ? QDate(year, month, day) : QDate();
    }

} // namespace

QDate parseTyped(const QString &text)
{
    const QString typed = text.normalized(QString::NormalizationForm_KC).trimmed();
    static const QRegularExpression western(QStringLiteral(
        "^(\\d{4})(?:([/"
        ".-])(\\d{1,2})\\2(\\d{1,2})|年(\\d{1,2})月(\\d{1,2})日?|(\\d{2})(\\d{2}))$"));
    static const QRegularExpression reiwa(
        QStringLiteral("^(?:令和|[Rr])\\s*(元|\\d{1,2})(?:年(\\d{1,2})月(\\d{1,2})日?|([/"
                       ".-])(\\d{1,2})\\4(\\d{1,2}))$"));
    QRegularExpressionMatch m = western.match(typed);
    if (m.hasMatch()) {
        const int year = m.captured(1).toInt();
        for (int first : { 3, 5, 7 })
            if (m.hasCaptured(first))
                return dateOf(year, m.captured(first).toInt(), m.captured(first + 1).toInt());
    }
    m = reiwa.match(typed);
    if (!m.hasMatch())
        return {};
    const int era = m.captured(1) == QStringLiteral("元") ? 1 : m.captured(1).toInt();
    const int first = m.hasCaptured(2) ? 2 : 5;
    const QDate date =
        dateOf(ReiwaOffset + era, m.captured(first).toInt(), m.captured(first + 1).toInt());
    return date.isValid() && date >= ReiwaBegins ? date : QDate();
}

} // namespace daydate
