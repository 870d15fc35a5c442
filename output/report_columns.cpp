#include "output/report_columns.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <optional>

#include "core/day_date.h"
#include "core/formats.h"
#include "core/sjis.h"
#include "output/yen_unit.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    std::string_view view(const QByteArray &bytes)
    {
        return { bytes.constData(), static_cast<std::size_t>(bytes.size()) };
    }

    QString dueDayText(double day, const QString &format)
    {
        return daydate::toDate(day).toString(format);
    }

} // namespace

const Units &units()
{
    struct Encoded
    {
        QByteArray ken = sjis::encode(u"件"_s);
        QByteArray nichi = sjis::encode(u"日"_s);
        QByteArray settled = sjis::encode(u"〇"_s);
        QByteArray open = sjis::encode(u"×"_s);
    };
    static const Encoded encoded;
    static const Units views { view(encoded.ken), view(encoded.nichi), view(encoded.settled),
        view(encoded.open) };
    return views;
}

// "26年06月05日": the digits straight from the calendar day for the years of four digits, the
// rest as a date text gives them. The lines of a day follow one another: its date is made once.
void writeDueDay(csv::LineWriter &line, double day)
{
    static const QByteArray year = sjis::encode(u"年"_s);
    static const QByteArray month = sjis::encode(u"月"_s);
    thread_local struct
    {
        double day = std::numeric_limits<double>::quiet_NaN();
        std::array<char, 16> bytes {};
        std::size_t size = 0;
    } made;
    if (!(made.day == day)) {
        const std::optional<std::chrono::year_month_day> ymd =
            daydate::isDay(day) ? std::optional(daydate::calendarDay(day)) : std::nullopt;
        const int y = ymd ? static_cast<int>(ymd->year()) : 0;
        if (y < 1 || y > 9999)
            return line.text(dueDayText(day, u"yy'年'MM'月'dd'日'"_s));
        char *at = made.bytes.data();
        const auto two = [&at](unsigned n) {
            *at++ = static_cast<char>('0' + n / 10 % 10);
            *at++ = static_cast<char>('0' + n % 10);
        };
        const auto add = [&at](std::string_view unit) {
            at = std::copy(unit.begin(), unit.end(), at);
        };
        two(static_cast<unsigned>(y % 100));
        add(view(year));
        two(static_cast<unsigned>(ymd->month()));
        add(view(month));
        two(static_cast<unsigned>(ymd->day()));
        add(units().nichi);
        made.day = day;
        made.size = static_cast<std::size_t>(at - made.bytes.data());
    }
    line.put(std::string_view(made.bytes.data(), made.size));
}

QString pageText(CellKind kind, const Cell &cell)
{
    switch (kind) {
    case CellKind::Empty:
    case CellKind::Settled:
        return {};
    case CellKind::Text:
    case CellKind::Code:
    case CellKind::Bytes:
        return sjis::decode(cell.bytes);
    case CellKind::MonthDay:
        return daydate::formatMonthDay(cell.number);
    case CellKind::Amount:
        return formats::amountN(cell.amount);
    case CellKind::Yen:
        return formats::amountN(cell.amount) + yenUnit(cell.amount);
    case CellKind::Count:
        return QString::number(cell.count) + u"件"_s;
    case CellKind::Days:
        return QString::number(cell.count) + u"日"_s;
    case CellKind::AverageDays:
        return formats::number(cell.number, 1, true, static_cast<int>(AverageWidth)) + u"日"_s;
    case CellKind::DueDay:
        return dueDayText(cell.number, u"yy'年'M'月'd'日'"_s);
    case CellKind::Shown:
    case CellKind::ShownText:
        return cell.shown ? *cell.shown : QString();
    }
    return {};
}

} // namespace output
