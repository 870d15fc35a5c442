#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string_view>

#include <QByteArray>
#include <QString>

#include "core/day_date.h"
#include "core/money.h"

// The one writer of the bytes of every CSV file: code page 932, fields joined by ",", each line
// ended by CR LF. A field is written as it is unless it holds a comma, a double quote, CR or LF;
// such a field is quoted, its quotes doubled, so a remark or a name can never shift the columns
// after it.
namespace csv {

// c is a code page 932 byte or a UTF-16 unit. The four are single bytes that code page 932 never
// uses inside a double-byte character, so stored bytes can be searched for them as they are.
template <typename Char> constexpr bool needsQuotes(Char c)
{
    return c == Char(',') || c == Char('"') || c == Char('\r') || c == Char('\n');
}

template <typename Char> bool needsQuotes(std::basic_string_view<Char> text)
{
    for (Char c : text)
        if (needsQuotes(c))
            return true;
    return false;
}

// Stored bytes, through a table: every field of every line of a file of a million notes is
// searched, and a table lookup is one test a byte where the four comparisons are four.
template <> inline bool needsQuotes(std::string_view text)
{
    static constexpr auto quoted = [] {
        std::array<bool, 256> table {};
        for (unsigned char c : { ',', '"', '\r', '\n' })
            table[c] = true;
        return table;
    }();
    for (char c : text)
        if (quoted[static_cast<unsigned char>(c)])
            return true;
    return false;
}

// A text a spreadsheet would take for a formula: one that begins with = + - @, a tab or CR.
template <typename Char> bool looksLikeFormula(std::basic_string_view<Char> text)
{
    if (text.empty())
        return false;
    const Char c = text.front();
    return c == Char('=') || c == Char('+') || c == Char('-') || c == Char('@') || c == Char('\t')
        || c == Char('\r');
}

// What goes before a text field: "'" for one that looks like a formula, as before every partner
// code, so a name or a remark is never run when the file is opened. Figures never get one.
template <typename Char> std::basic_string_view<Char> textPrefix(std::basic_string_view<Char> text)
{
    static constexpr Char apostrophe[] = { Char('\''), Char(0) };
    return looksLikeFormula(text) ? std::basic_string_view<Char>(apostrophe, 1)
                                  : std::basic_string_view<Char>();
}

// A text as a spreadsheet must show it: "'" in front of one that looks like a formula.
QString plainText(const QString &text);

// The parts of one field within quotes, each quote doubled.
template <typename Char, typename Sink>
void writeQuoted(Sink &sink, std::initializer_list<std::basic_string_view<Char>> parts)
{
    sink.put(Char('"'));
    for (std::basic_string_view<Char> part : parts)
        for (Char c : part) {
            if (c == Char('"'))
                sink.put(c);
            sink.put(c);
        }
    sink.put(Char('"'));
}

// prefix, text and suffix as one field, through sink.put(Char) and sink.put(basic_string_view).
template <typename Char, typename Sink>
void writeField(Sink &sink, std::basic_string_view<Char> text,
    std::basic_string_view<Char> prefix = {}, std::basic_string_view<Char> suffix = {})
{
    if (needsQuotes(prefix) || needsQuotes(text) || needsQuotes(suffix))
        return writeQuoted(sink, { prefix, text, suffix });
    sink.put(prefix);
    sink.put(text);
    sink.put(suffix);
}

// One CSV line appended to out. The bytes gather in a small buffer on the stack and go to out
// about once a line: a byte at a time into a QByteArray would cost more than writing the file.
// A line longer than the buffer is handed on in pieces, so any field fits.
class LineWriter
{
public:
    // How the blanks in front of an amount are counted: for its bare digits, or for the digits
    // with the thousands separators the report texts would have had.
    enum class Padding { Digits, Grouped };
    static constexpr std::size_t AmountWidth = 10;

    explicit LineWriter(QByteArray &out)
        : out_(out)
    {
    }
    LineWriter(const LineWriter &) = delete;
    LineWriter &operator=(const LineWriter &) = delete;
    // A line left unended still reaches out whole.
    ~LineWriter() { flush(); }

    void put(char c)
    {
        if (at_ == end())
            flush();
        *at_++ = c;
    }
    void put(std::string_view bytes)
    {
        if (bytes.size() > static_cast<std::size_t>(end() - at_))
            return putPast(bytes);
        if (!bytes.empty()) {
            std::memcpy(at_, bytes.data(), bytes.size());
            at_ += bytes.size();
        }
    }
    // Named apart from put so that a string literal is never ambiguous.
    void putEncoded(const QByteArray &bytes)
    {
        put(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }

    // Stored code page 932 bytes (with a prefix and a suffix) as one field.
    void field(std::string_view bytes, std::string_view prefix = {}, std::string_view suffix = {})
    {
        writeField(*this, bytes, prefix, suffix);
    }
    // A stored name, number or remark as one field, never taken for a formula.
    void textField(std::string_view bytes) { field(bytes, textPrefix(bytes)); }
    // A text as one field in code page 932; a character it has no form for (none can come from
    // the data files) is written as "?".
    void text(const QString &value);

    // A whole count, as QString::number gives it.
    void count(std::int64_t n);
    // Whole units rounded half away from zero, no separators, right-aligned in AmountWidth.
    // Digits, a "-" and blanks never need quotes.
    void amount(Money value, Padding padding = Padding::Digits);
    // A figure right-aligned in at least width characters, then its unit, as one field.
    void figure(std::string_view digits, std::size_t width, std::string_view unit);
    // "MM/dd"; nothing for a day no calendar date stands for.
    void monthDay(double dayNumber)
    {
        if (end() - at_ < 5)
            flush();
        at_ += daydate::monthDay(dayNumber, std::span<char, 5>(at_, 5));
    }

    // Ends the line with CR LF.
    void endLine()
    {
        put(std::string_view("\r\n"));
        flush();
    }

private:
    char *end() { return room_.data() + room_.size(); }
    // Hands the gathered bytes on to out.
    void flush();
    // bytes, which do not fit in what is left of the buffer.
    void putPast(std::string_view bytes);

    QByteArray &out_;
    std::array<char, 512> room_; // only the part before at_ is ever read
    char *at_ = room_.data();
};

} // namespace csv
