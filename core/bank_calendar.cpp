#include "core/bank_calendar.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace bankcalendar {
namespace {

    // How a holiday's day is found in its year.
    enum class On { Date, Monday, Equinox };

    struct Rule
    {
        const char16_t *name;
        int month;
        On on;
        int n; // the day of the month for Date, which Monday of the month for Monday
        int from = FirstYear;
        int until = LastYear;
    };

    // The national holidays with the years each stood on its day under that name.
    constexpr Rule Rules[] = {
        { u"元日", 1, On::Date, 1 },
        { u"成人の日", 1, On::Monday, 2 },
        { u"建国記念の日", 2, On::Date, 11 },
        { u"天皇誕生日", 2, On::Date, 23, 2020 },
        { u"春分の日", 3, On::Equinox, 0 },
        { u"みどりの日", 4, On::Date, 29, FirstYear, 2006 },
        { u"昭和の日", 4, On::Date, 29, 2007 },
        { u"憲法記念日", 5, On::Date, 3 },
        { u"みどりの日", 5, On::Date, 4, 2007 },
        { u"こどもの日", 5, On::Date, 5 },
        { u"海の日", 7, On::Date, 20, FirstYear, 2002 },
        { u"海の日", 7, On::Monday, 3, 2003, 2019 },
        { u"海の日", 7, On::Monday, 3, 2022 },
        { u"山の日", 8, On::Date, 11, 2016, 2019 },
        { u"山の日", 8, On::Date, 11, 2022 },
        { u"敬老の日", 9, On::Date, 15, FirstYear, 2002 },
        { u"敬老の日", 9, On::Monday, 3, 2003 },
        { u"秋分の日", 9, On::Equinox, 0 },
        { u"体育の日", 10, On::Monday, 2, FirstYear, 2018 },
        // The year before the renaming took effect the government listed both names.
        { u"体育の日（スポーツの日）", 10, On::Monday, 2, 2019, 2019 },
        { u"スポーツの日", 10, On::Monday, 2, 2022 },
        { u"文化の日", 11, On::Date, 3 },
        { u"勤労感謝の日", 11, On::Date, 23 },
        { u"天皇誕生日", 12, On::Date, 23, FirstYear, 2018 },
        // The enthronement days of 2019, holidays by an act of their own that counts them as
        // national holidays for the substitute and in-between rules.
        { u"休日（祝日扱い）", 5, On::Date, 1, 2019, 2019 },
        { u"休日（祝日扱い）", 10, On::Date, 22, 2019, 2019 },
        // The Tokyo Olympics moved three holidays in 2020, and again when postponed to 2021.
        { u"海の日", 7, On::Date, 23, 2020, 2020 },
        { u"スポーツの日", 7, On::Date, 24, 2020, 2020 },
        { u"山の日", 8, On::Date, 10, 2020, 2020 },
        { u"海の日", 7, On::Date, 22, 2021, 2021 },
        { u"スポーツの日", 7, On::Date, 23, 2021, 2021 },
        { u"山の日", 8, On::Date, 8, 2021, 2021 },
    };

    constexpr char16_t RestName[] = u"休日";

    // The usual approximation of the equinox days, good for 1980–2099. Worked in millionths of a
    // day so that no rounding of floating point can move a day.
    int equinox(int year, int month)
    {
        const int y = year - 1980;
        const int start = month == 3 ? 20'843'100 : 23'248'800;
        return (start + 242'194 * y) / 1'000'000 - y / 4;
    }

    int dayOfMonth(const Rule &rule, int year)
    {
        switch (rule.on) {
        case On::Date:
            break;
        case On::Monday: {
            const int firstWeekday = QDate(year, rule.month, 1).dayOfWeek();
            return 1 + (8 - firstWeekday) % 7 + 7 * (rule.n - 1);
        }
        case On::Equinox:
            return equinox(year, rule.month);
        }
        return rule.n;
    }

    // Banks close on weekends and for the new year, 12/31 to 1/3, whatever the holidays.
    bool closedEveryYear(QDate day)
    {
        const int month = day.month();
        const int dayOfMonth = day.day();
        return day.dayOfWeek() >= Qt::Saturday || (month == 12 && dayOfMonth == 31)
            || (month == 1 && dayOfMonth <= 3);
    }

    // Every day of the years known, worked out once: a pass may settle a million notes.
    class Calendar
    {
    public:
        Calendar();

        bool covers(QDate day) const
        {
            return day.toJulianDay() >= first_ && day.toJulianDay() < first_ + days();
        }
        // For a covered day: its holiday name, or null.
        const char16_t *name(QDate day) const
        {
            const std::uint8_t holiday = holidays_[index(day)];
            return holiday == None ? nullptr : holiday == Rest ? RestName : Rules[holiday - 1].name;
        }
        // For a covered day: 0 when banks are open, otherwise the days until they are.
        int untilOpen(QDate day) const { return untilOpen_[index(day)]; }

    private:
        // Besides these, a day holds the index of its rule plus one.
        static constexpr std::uint8_t None = 0;
        static constexpr std::uint8_t Rest = 0xff;

        qint64 days() const { return static_cast<qint64>(holidays_.size()); }
        std::size_t index(QDate day) const
        {
            return static_cast<std::size_t>(day.toJulianDay() - first_);
        }
        QDate dateAt(std::size_t i) const
        {
            return QDate::fromJulianDay(first_ + static_cast<qint64>(i));
        }
        bool named(std::size_t i) const { return holidays_[i] != None && holidays_[i] != Rest; }

        void placeHolidays();
        void placeSubstitutes();
        void placeInBetweenDays();
        void countUntilOpen();

        qint64 first_;
        std::vector<std::uint8_t> holidays_;
        std::vector<std::uint8_t> untilOpen_;
    };

    Calendar::Calendar()
        : first_(constantDate(std::chrono::year { FirstYear } / 1 / 1).toJulianDay())
    {
        const qint64 end = constantDate(std::chrono::year { LastYear + 1 } / 1 / 1).toJulianDay();
        holidays_.assign(static_cast<std::size_t>(end - first_), None);
        untilOpen_.assign(holidays_.size(), 0);
        placeHolidays();
        placeSubstitutes();
        placeInBetweenDays();
        countUntilOpen();
    }

    void Calendar::placeHolidays()
    {
        for (int year = FirstYear; year <= LastYear; ++year) {
            for (std::size_t r = 0; r < std::size(Rules); ++r) {
                const Rule &rule = Rules[r];
                if (year >= rule.from && year <= rule.until)
                    holidays_[index(QDate(year, rule.month, dayOfMonth(rule, year)))] =
                        static_cast<std::uint8_t>(r + 1);
            }
        }
    }

    // A holiday on Sunday gives a rest day on the nearest later day that is not a holiday itself.
    // Before 2007 only the Monday could be that day, but no Sunday holiday of 2000–2006 was
    // followed by another, so the present rule gives the same days.
    void Calendar::placeSubstitutes()
    {
        for (std::size_t i = 0; i < holidays_.size(); ++i) {
            if (!named(i) || dateAt(i).dayOfWeek() != Qt::Sunday)
                continue;
            std::size_t next = i + 1;
            while (next < holidays_.size() && named(next))
                ++next;
            if (next < holidays_.size())
                holidays_[next] = Rest;
        }
    }

    // A day between two holidays is a rest day; before 2007 a Sunday stayed a plain Sunday.
    void Calendar::placeInBetweenDays()
    {
        for (std::size_t i = 1; i + 1 < holidays_.size(); ++i) {
            if (holidays_[i] != None || !named(i - 1) || !named(i + 1))
                continue;
            const QDate day = dateAt(i);
            if (day.year() >= 2007 || day.dayOfWeek() != Qt::Sunday)
                holidays_[i] = Rest;
        }
    }

    // Counted backwards, each closed day being one more than the day after it. Past the last year
    // known only weekends and the new year count.
    void Calendar::countUntilOpen()
    {
        int next = 0;
        for (QDate day = dateAt(holidays_.size()); closedEveryYear(day); day = day.addDays(1))
            ++next;
        for (std::size_t i = holidays_.size(); i-- > 0;) {
            const bool closed = holidays_[i] != None || closedEveryYear(dateAt(i));
            next = closed ? next + 1 : 0;
            untilOpen_[i] = static_cast<std::uint8_t>(next);
        }
    }

    const Calendar &calendar()
    {
        static const Calendar table;
        return table;
    }

} // namespace

bool isNationalHoliday(QDate day)
{
    const Calendar &days = calendar();
    return days.covers(day) && days.name(day) != nullptr;
}

QString holidayName(QDate day)
{
    const Calendar &days = calendar();
    const char16_t *name = days.covers(day) ? days.name(day) : nullptr;
    return name ? QString::fromUtf16(name) : QString();
}

bool isBankHoliday(QDate day)
{
    const Calendar &days = calendar();
    return days.covers(day) ? days.untilOpen(day) != 0 : closedEveryYear(day);
}

QDate settlementDay(QDate due)
{
    const Calendar &days = calendar();
    if (days.covers(due))
        return QDate::fromJulianDay(due.toJulianDay() + days.untilOpen(due));
    while (isBankHoliday(due))
        due = due.addDays(1);
    return due;
}

} // namespace bankcalendar
