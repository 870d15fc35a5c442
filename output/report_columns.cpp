#include "output/report_columns.h"

#include <array>
#include <chrono>

#include "output/yen_unit.h"
#include "store/day_date.h"
#include "store/formats.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr std::size_t AverageWidth = 3;

    // The units and marks of the cells in code page 932, made once.
    struct Encoded
    {
        static std::string_view of(const QByteArray &bytes)
        {
            return { bytes.constData(), static_cast<std::size_t>(bytes.size()) };
        }
        QByteArray kenBytes = sjis::encode(u"件"_s);
        QByteArray nichiBytes = sjis::encode(u"日"_s);
        QByteArray yearBytes = sjis::encode(u"年"_s);
        QByteArray monthBytes = sjis::encode(u"月"_s);
        QByteArray settledBytes = sjis::encode(u"〇"_s);
        QByteArray openBytes = sjis::encode(u"×"_s);
        std::string_view ken = of(kenBytes);
        std::string_view nichi = of(nichiBytes);
        std::string_view year = of(yearBytes);
        std::string_view month = of(monthBytes);
        std::string_view settled = of(settledBytes);
        std::string_view open = of(openBytes);
    };

    const Encoded &encoded()
    {
        static const Encoded units;
        return units;
    }

    QString dueDayText(double day, const QString &format)
    {
        return daydate::toDate(day).toString(format);
    }

    // "26年06月05日": the digits straight from the calendar day for the years of four digits, the
    // rest as a date text gives them.
    void writeDueDay(csv::LineWriter &line, double day)
    {
        static const QString format = u"yy'年'MM'月'dd'日'"_s;
        const Encoded &units = encoded();
        if (daydate::isDay(day)) {
            const std::chrono::year_month_day ymd = daydate::calendarDay(day);
            const int y = static_cast<int>(ymd.year());
            if (y >= 1 && y <= 9999) {
                const auto two = [&line](unsigned n) {
                    const char digits[] = { static_cast<char>('0' + n / 10 % 10),
                        static_cast<char>('0' + n % 10) };
                    line.put(std::string_view(digits, 2));
                };
                two(static_cast<unsigned>(y % 100));
                line.put(units.year);
                two(static_cast<unsigned>(ymd.month()));
                line.put(units.month);
                two(static_cast<unsigned>(ymd.day()));
                line.put(units.nichi);
                return;
            }
        }
        line.text(dueDayText(day, format));
    }

} // namespace

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

void writeCell(csv::LineWriter &line, CellKind kind, const Cell &cell)
{
    const Encoded &units = encoded();
    switch (kind) {
    case CellKind::Empty:
        return;
    case CellKind::Text:
        return line.textField(cell.bytes);
    case CellKind::Code:
        return line.field(cell.bytes, "'");
    case CellKind::Bytes:
        return line.field(cell.bytes);
    case CellKind::MonthDay:
        return line.monthDay(cell.number);
    case CellKind::Amount:
        return line.amount(cell.amount, csv::LineWriter::Padding::Grouped);
    case CellKind::Yen:
        line.amount(cell.amount);
        return line.putEncoded(yenUnitBytes(cell.amount));
    case CellKind::Count:
        line.count(cell.count);
        return line.put(units.ken);
    case CellKind::Days:
        line.count(cell.count);
        return line.put(units.nichi);
    case CellKind::AverageDays:
        // It may hold a thousands separator, and is then quoted.
        return line.figure(formats::fixed(cell.number, 1, true).view(), AverageWidth, units.nichi);
    case CellKind::Settled:
        return line.put(cell.count != 0 ? units.settled : units.open);
    case CellKind::DueDay:
        return writeDueDay(line, cell.number);
    case CellKind::Shown:
        return line.text(cell.shown ? *cell.shown : QString());
    case CellKind::ShownText:
        return line.text(csv::plainText(cell.shown ? *cell.shown : QString()));
    }
}

} // namespace output
