#pragma once

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <QByteArray>

#include "store/day_date.h"
#include "store/formats.h"
#include "store/money.h"

// The fast CSV lines: made straight from the stored code page 932 bytes into a buffer on the
// stack and appended to the file's buffer at once. A byte at a time into a QByteArray would cost
// more than writing the file. The bytes must equal what csv::line makes of the same texts.
namespace csv {

// Room is a bound the caller works out for its longest line, every field quoted and every byte
// doubled; nothing is checked against it, so the fields must be cut to their rooms before.
template <std::size_t Room> class LineBytes
{
public:
    // How the blanks in front of an amount are counted: for its bare digits, or for the digits
    // with the thousands separators the report texts would have had.
    enum class Padding { Digits, Grouped };
    static constexpr int AmountWidth = 10;

    void put(char c) { *at_++ = c; }
    void put(std::string_view bytes)
    {
        std::memcpy(at_, bytes.data(), bytes.size());
        at_ += bytes.size();
    }
    // Named apart from put so that a string literal is never ambiguous.
    void putEncoded(const QByteArray &bytes)
    {
        put(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }

    // prefix, bytes and suffix as one field, quoted when any holds a comma, a quote, CR or LF.
    // Those are single bytes that code page 932 never uses inside a double-byte character, so
    // the stored bytes can be searched for them as they are.
    void field(std::string_view bytes, std::string_view prefix = {}, std::string_view suffix = {})
    {
        if (!needsQuotes(prefix) && !needsQuotes(bytes) && !needsQuotes(suffix)) {
            put(prefix);
            put(bytes);
            put(suffix);
            return;
        }
        put('"');
        for (std::string_view part : { prefix, bytes, suffix })
            for (char c : part) {
                if (c == '"')
                    put('"');
                put(c);
            }
        put('"');
    }

    // A whole count, as QString::number gives it.
    void count(std::int64_t n)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }

    // Whole units rounded half away from zero, no separators, right-aligned in AmountWidth.
    void amount(Money value, Padding padding = Padding::Digits)
    {
        const formats::CharBuffer digits = formats::wholeUnits(value, false);
        // The grouped text has one separator for every three digits after the first.
        const std::size_t sign = digits.view().starts_with('-') ? 1 : 0;
        const std::size_t width =
            digits.size() + (padding == Padding::Grouped ? (digits.size() - sign - 1) / 3 : 0);
        for (std::size_t i = width; i < AmountWidth; ++i)
            put(' ');
        put(digits.view());
    }

    // "mm/dd", as the row texts give it: nothing for a day no calendar date stands for.
    void monthDay(double dayNumber)
    {
        if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 3.0e6)
            return;
        const std::chrono::year_month_day ymd { DayZero
            + std::chrono::days { static_cast<int>(daydate::wholeDay(dayNumber)) } };
        if (static_cast<int>(ymd.year()) == 0) // no such year in the calendar of the texts
            return;
        const auto month = static_cast<unsigned>(ymd.month());
        const auto day = static_cast<unsigned>(ymd.day());
        put(char('0' + month / 10));
        put(char('0' + month % 10));
        put('/');
        put(char('0' + day / 10));
        put(char('0' + day % 10));
    }

    // Ends the line with CR LF and appends it to out.
    void endTo(QByteArray &out)
    {
        put("\r\n");
        out.append(room_, static_cast<qsizetype>(at_ - room_));
    }

private:
    static bool needsQuotes(std::string_view bytes)
    {
        for (char c : bytes)
            if (c == ',' || c == '"' || c == '\r' || c == '\n')
                return true;
        return false;
    }

    static constexpr std::chrono::sys_days DayZero =
        std::chrono::sys_days { std::chrono::year { 1899 } / 12 / 30 };
    char room_[Room];
    char *at_ = room_;
};

} // namespace csv
