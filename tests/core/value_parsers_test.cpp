#include <cstdint>
#include <optional>

#include <gtest/gtest.h>

#include "core/value_parsers.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;

namespace {

// The readers that take a case's text; the others read nothing from it.
enum Readers : unsigned { None = 0, Typed = 1, Import = 2, Search = 4, All = 7 };

struct Reader
{
    Readers which;
    values::Forms forms;
    const char *name;
};
constexpr Reader AllReaders[] = {
    { Typed, values::TypedForms, "typed" },
    { Import, values::ImportForms, "import" },
    { Search, values::SearchForms, "search" },
};

} // namespace

// Each reader takes the common forms and its own, and what it took before; a day that does not
// exist is refused, never moved.
TEST(ValueParsers, DatesInEveryFormEachReaderTakes)
{
    const QDate jan5(2026, 1, 5);
    const struct
    {
        QString text;
        QDate expected;
        unsigned readers;
    } cases[] = {
        { u"2026/1/5"_s, jan5, All },
        { u"2026-01-05"_s, jan5, All },
        { u"2026.1.5"_s, jan5, All },
        { u"20260105"_s, jan5, All },
        { u"2026年1月5日"_s, jan5, All },
        { u"令和8年1月5日"_s, jan5, All },
        { u"令和元年5月1日"_s, QDate(2019, 5, 1), All },
        { u"R8.1.5"_s, jan5, All },
        { u"R8/1/5"_s, jan5, All },
        { u"２０２６／１／５"_s, jan5, All },
        { u" 2026/1/5　"_s, jan5, All },
        { u"0099/1/5"_s, QDate(99, 1, 5), All },
        // Spreadsheet serials, from the first day after the invented 1900-02-29 to the last.
        { u"46027"_s, jan5, Import },
        { u"４６０２７"_s, jan5, Import },
        { u"61"_s, QDate(1900, 3, 1), Import },
        { u"2958465"_s, QDate(9999, 12, 31), Import },
        // The search's years of fewer digits.
        { u"99/1/5"_s, QDate(99, 1, 5), Search },
        { u"1/2/3"_s, QDate(1, 2, 3), Search },
        { u"60"_s, {}, None },
        { u"2958466"_s, {}, None },
        { u"46027.5"_s, {}, None },
        { u"46027²"_s, {}, None },
        { u"2023/2/29"_s, {}, None },
        { u"20230229"_s, {}, None },
        { u"2026/13/1"_s, {}, None },
        { u"R1.4.30"_s, {}, None },
        { u"99-1-5"_s, {}, None },
        { u"1/5"_s, {}, None },
        { u""_s, {}, None },
    };
    for (const auto &c : cases)
        for (const Reader &r : AllReaders) {
            const std::optional<QDate> read = values::parseDate(c.text, r.forms);
            const std::optional<QDate> expected =
                c.readers & r.which ? std::optional(c.expected) : std::nullopt;
            EXPECT_EQ(read, expected) << c.text.toStdString() << " " << r.name;
        }
}

TEST(ValueParsers, AmountsExactFromTheDigits)
{
    const struct
    {
        QString text;
        std::int64_t stored;
        unsigned readers;
    } cases[] = {
        { u"1234"_s, 12'340'000, All },
        { u"1,234,567"_s, 12'345'670'000, All },
        { u"１，２３４"_s, 12'340'000, All },
        { u"1,234円"_s, 12'340'000, All },
        { u"￥1,234"_s, 12'340'000, All },
        { u"¥1,234"_s, 12'340'000, All },
        { u"\\1,234"_s, 12'340'000, All },
        { u"　1,234 円 "_s, 12'340'000, All },
        { u"0.1"_s, 1'000, All },
        { u"１２．５"_s, 125'000, All },
        { u"1234567.8901"_s, 12'345'678'901, All },
        { u"-1,000"_s, -10'000'000, All },
        { u"－1,000"_s, -10'000'000, All },
        { u"−1,000"_s, -10'000'000, All },
        { u"△1,000"_s, -10'000'000, All },
        { u"-￥1,000"_s, -10'000'000, All },
        { u"￥-1,000"_s, -10'000'000, All },
        { u"-0"_s, 0, All },
        { u"+5"_s, 50'000, Search },
        { u"＋￥5"_s, 50'000, Search },
        // The ends of the stored range, which a double cannot carry.
        { u"922337203685477.5807"_s, INT64_MAX, All },
        { u"-922337203685477.5808"_s, INT64_MIN, All },
        { u"922337203685477.5808"_s, 0, None },
        { u"99999999999999999999"_s, 0, None },
        { u""_s, 0, None },
        { u"円"_s, 0, None },
        { u"-"_s, 0, None },
        { u"12a"_s, 0, None },
        { u"1e5"_s, 0, None },
        { u"1.23456"_s, 0, None },
        { u"1.2.3"_s, 0, None },
        { u"1 000"_s, 0, None },
        { u"--5"_s, 0, None },
        { u"+-5"_s, 0, None },
        { u"-△5"_s, 0, None },
        { u"￥￥5"_s, 0, None },
    };
    for (const auto &c : cases)
        for (const Reader &r : AllReaders) {
            const std::optional<Money> read = values::parseAmount(c.text, r.forms);
            EXPECT_EQ(read ? std::optional(read->stored()) : std::nullopt,
                c.readers & r.which ? std::optional(c.stored) : std::nullopt)
                << c.text.toStdString() << " " << r.name;
        }
}

TEST(ValueParsers, KindsAndTheSettledFlag)
{
    const struct
    {
        QString text;
        std::optional<NoteKind> kind;
    } kinds[] = {
        { u"支払手形"_s, PayableNote },
        { u" 受取手形 "_s, ReceivableNote },
        { u"裏書手形"_s, EndorsedNote },
        { u"割引手形"_s, DiscountedNote },
        { u"小切手"_s, Cheque },
        { u"0"_s, PayableNote },
        { u"４"_s, Cheque },
        { u"5"_s, std::nullopt },
        { u"-1"_s, std::nullopt },
        { u"手形"_s, std::nullopt },
        { u""_s, std::nullopt },
    };
    for (const auto &c : kinds)
        EXPECT_EQ(values::parseKind(c.text), c.kind) << c.text.toStdString();

    const struct
    {
        QString text;
        bool settled;
        unsigned readers;
    } flags[] = {
        { u"〇"_s, true, All },
        { u"○"_s, true, All },
        { u"済"_s, true, All },
        { u"1"_s, true, All },
        { u"×"_s, false, All },
        { u"0"_s, false, All },
        { u" ０ "_s, false, All },
        { u"済み"_s, true, Search },
        { u"未"_s, false, Search },
        { u""_s, false, None },
        { u"　"_s, false, None },
        { u"〇〇"_s, false, None },
        { u"2"_s, false, None },
    };
    for (const auto &c : flags)
        for (const Reader &r : AllReaders)
            EXPECT_EQ(values::parseSettled(c.text, r.forms),
                c.readers & r.which ? std::optional(c.settled) : std::nullopt)
                << c.text.toStdString() << " " << r.name;
}
