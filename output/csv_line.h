#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <QByteArray>
#include <QString>

#include "core/day_date.h"
#include "core/money.h"

// The one writer of the bytes of every CSV file: code page 932, fields joined by ",", each line
// ended by CR LF. A field is written as it is unless it holds a comma, a double quote, CR or LF;
// such a field is quoted, its quotes doubled, so a remark or a name can never shift the columns
// after it. The four are single bytes that code page 932 never uses inside a double-byte
// character, so stored bytes can be searched for them as they are.
namespace csv {

// A text a spreadsheet would take for a formula: one that begins with = + - @, a tab or CR.
template <typename Char> bool looksLikeFormula(std::basic_string_view<Char> text)
{
    if (text.empty())
        return false;
    const Char c = text.front();
    return c == Char('=') || c == Char('+') || c == Char('-') || c == Char('@') || c == Char('\t')
        || c == Char('\r');
}

// What goes before a stored text field: "'" for one that looks like a formula, as before every
// partner code, so a name or a remark is never run when the file is opened. Figures never get one.
inline std::string_view textPrefix(std::string_view text)
{
    return looksLikeFormula(text) ? std::string_view("'") : std::string_view();
}

// A text as a spreadsheet must show it: "'" in front of one that looks like a formula.
QString plainText(const QString &text);

// Whether bytes hold a comma, a double quote, CR or LF: every field of every line of a file of a
// million notes is searched, so eight bytes are tested at a step.
inline bool needsQuotes(std::string_view bytes)
{
    const char *p = bytes.data();
    const std::size_t n = bytes.size();
#if defined(__SSE2__)
    const auto quoted = [](__m128i v) {
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(',')),
                                              _mm_cmpeq_epi8(v, _mm_set1_epi8('"'))),
            _mm_or_si128(
                _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
        return _mm_movemask_epi8(hits);
    };
    const auto load = [](const char *at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    };
    // Shorter texts are gathered into one register from pieces that overlap, never read past.
    const auto eight = [](const char *at) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(at));
    };
    const auto four = [](const char *at) {
        std::int32_t w;
        std::memcpy(&w, at, 4);
        return _mm_cvtsi32_si128(w);
    };
    if (n >= 16) {
        int found = quoted(load(p + n - 16));
        for (std::size_t i = 0; i + 16 < n; i += 16)
            found |= quoted(load(p + i));
        return found != 0;
    }
    if (n >= 8)
        return quoted(_mm_unpacklo_epi64(eight(p), eight(p + n - 8))) != 0;
    if (n >= 4)
        return quoted(_mm_unpacklo_epi32(four(p), four(p + n - 4))) != 0;
    bool found = false;
    for (std::size_t i = 0; i < n; ++i)
        found |= p[i] == ',' || p[i] == '"' || p[i] == '\r' || p[i] == '\n';
    return found;
#else
    constexpr std::uint64_t Ones = 0x0101010101010101ull;
    // Marks a byte of v that is zero; none, exactly when v has none.
    const auto zeros = [](std::uint64_t v) { return (v - Ones) & ~v & (Ones << 7); };
    const auto quoted = [&](const char *at) {
        std::uint64_t w;
        std::memcpy(&w, at, 8);
        return zeros(w ^ (Ones * ',')) | zeros(w ^ (Ones * '"')) | zeros(w ^ (Ones * '\r'))
            | zeros(w ^ (Ones * '\n'));
    };
    if (n < 8) {
        bool found = false;
        for (std::size_t i = 0; i < n; ++i)
            found |= p[i] == ',' || p[i] == '"' || p[i] == '\r' || p[i] == '\n';
        return found;
    }
    std::uint64_t found = quoted(p + n - 8);
    for (std::size_t i = 0; i + 8 < n; i += 8)
        found |= quoted(p + i);
    return found != 0;
#endif
}

// One CSV line appended to out. The bytes gather in a buffer on the stack and go to out about
// once a line: a byte at a time into a QByteArray would cost more than writing the file. A line
// longer than the buffer is handed on in pieces, so any field fits.
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
        if (bytes.size() > free())
            return putPast(bytes);
        at_ = copy(at_, bytes);
    }
    // Named apart from put so that a string literal is never ambiguous.
    void putEncoded(const QByteArray &bytes)
    {
        put(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }

    // Stored code page 932 bytes (with a prefix and a suffix) as one field.
    void field(std::string_view bytes, std::string_view prefix = {}, std::string_view suffix = {})
    {
        // Searched where they are read from: words loaded from bytes just copied in would wait
        // for the copy's stores to land.
        if (needsQuotes(bytes) || needsQuotes(prefix) || needsQuotes(suffix))
            return quotedField(bytes, prefix, suffix);
        const std::size_t size = prefix.size() + bytes.size() + suffix.size();
        if (size > free()) {
            put(prefix);
            put(bytes);
            return put(suffix);
        }
        at_ = copy(copy(copy(at_, prefix), bytes), suffix);
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
        if (free() < 5)
            flush();
        at_ += daydate::monthDay(dayNumber, std::span<char, 5>(at_, 5));
    }

    // Ends the line with CR LF and hands it on.
    void endLine()
    {
        nextLine();
        flush();
    }
    // Ends the line with CR LF, keeping it with the lines before it until endLine() or the end of
    // the writer hands them on together.
    void nextLine() { put(std::string_view("\r\n")); }

private:
    char *end() { return room_.data() + room_.size(); }
    std::size_t free() { return static_cast<std::size_t>(end() - at_); }
    // Hands the gathered bytes on to out.
    void flush();
    // bytes, which do not fit in what is left of the buffer.
    void putPast(std::string_view bytes);
    void quotedField(std::string_view bytes, std::string_view prefix, std::string_view suffix);

    // Copies bytes to to, which has room for them, and answers where they end. Fields are short:
    // a few moves of known size, overlapping where they must, do what a call to memcpy would.
    static char *copy(char *to, std::string_view bytes)
    {
        const char *from = bytes.data();
        const std::size_t n = bytes.size();
        if (n >= 16) {
            for (std::size_t i = 0; i + 16 < n; i += 16)
                std::memcpy(to + i, from + i, 16);
            std::memcpy(to + n - 16, from + n - 16, 16);
        } else if (n >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + n - 8, from + n - 8, 8);
        } else if (n >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + n - 4, from + n - 4, 4);
        } else if (n > 0) {
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        }
        return to + n;
    }

    QByteArray &out_;
    std::array<char, 4096> room_; // only the part before at_ is ever read
    char *at_ = room_.data();
};

} // namespace csv
