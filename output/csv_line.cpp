#include "output/csv_line.h"

#include <algorithm>
#include <charconv>

#include "core/formats.h"
#include "core/sjis.h"

namespace {

// Enough for any figure's leading blanks.
constexpr std::string_view Blanks = "                ";

std::string_view blanksBefore(std::size_t size, std::size_t width)
{
    return Blanks.substr(0, size < width ? std::min(width - size, Blanks.size()) : 0);
}

} // namespace

namespace csv {

void LineWriter::flush()
{
    if (at_ != room_.data())
        out_.append(room_.data(), static_cast<qsizetype>(at_ - room_.data()));
    at_ = room_.data();
}

void LineWriter::putPast(std::string_view bytes)
{
    flush();
    if (bytes.size() > room_.size())
        out_.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    else
        put(bytes);
}

void LineWriter::quotedField(
    std::string_view bytes, std::string_view prefix, std::string_view suffix)
{
    put('"');
    for (std::string_view part : { prefix, bytes, suffix })
        for (char c : part) {
            if (c == '"')
                put(c);
            put(c);
        }
    put('"');
}

QString plainText(const QString &text)
{
    const std::u16string_view units(reinterpret_cast<const char16_t *>(text.constData()),
        static_cast<std::size_t>(text.size()));
    return looksLikeFormula(units) ? u'\'' + text : text;
}

void LineWriter::text(const QString &value)
{
    bool ascii = true;
    for (QChar ch : value)
        ascii = ascii && ch.unicode() < 0x80;
    bool ok = ascii;
    const QByteArray bytes = ascii ? value.toLatin1() : sjis::encode(value, &ok);
    if (ok) {
        field(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        return;
    }
    // Character by character, so one stray character costs one "?" and not the field.
    QByteArray each;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype width = value.at(i).isHighSurrogate() && i + 1 < value.size() ? 2 : 1;
        const QByteArray one = sjis::encode(value.mid(i, width), &ok);
        each += ok ? one : QByteArray("?");
        i += width - 1;
    }
    field(std::string_view(each.constData(), static_cast<std::size_t>(each.size())));
}

void LineWriter::count(std::int64_t n)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void LineWriter::amount(Money value, Padding padding)
{
    const formats::WholeUnits units = formats::roundedUnits(value);
    std::array<char, 24> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), units.size).ptr;
    const auto count = static_cast<std::size_t>(end - digits.data());
    // The grouped text, whose width sets the blanks, would have a "," every three digits.
    const std::size_t width =
        count + (units.negative ? 1 : 0) + (padding == Padding::Grouped ? (count - 1) / 3 : 0);
    put(blanksBefore(width, AmountWidth));
    if (units.negative)
        put('-');
    put(std::string_view(digits.data(), count));
}

void LineWriter::figure(std::string_view digits, std::size_t width, std::string_view unit)
{
    field(digits, blanksBefore(digits.size(), width), unit);
}

} // namespace csv
