#include "exchange/field_parsers.h"

#include <cstdint>

#include <QStringList>

#include "core/day_date.h"
#include "core/half_width.h"
#include "core/kinds.h"

using namespace Qt::StringLiterals;

namespace exchange {

namespace {

    bool isDigit(char16_t c)
    {
        return c >= u'0' && c <= u'9';
    }

    // QChar::isSpace takes U+3000, the full-width space, as well.
    QString trimmedCell(const QString &cell)
    {
        return cell.trimmed();
    }

    // Serials 1..60 are the spreadsheet's days before its invented 1900-02-29, which this count
    // does not have; 2958465 is 9999-12-31, its last day.
    constexpr int FirstSerial = 61;
    constexpr int LastSerial = 2958465;

} // namespace

std::optional<QDate> parseDate(const QString &cell)
{
    const QString text = trimmedCell(cell);
    if (text.isEmpty())
        return std::nullopt;
    const QDate typed = daydate::parseTyped(text);
    if (typed.isValid())
        return typed;

    int serial = 0;
    for (QChar c : text) {
        const char16_t d = halfWidth(c.unicode());
        if (!isDigit(d) || serial > LastSerial)
            return std::nullopt;
        serial = serial * 10 + (d - u'0');
    }
    if (serial < FirstSerial || serial > LastSerial)
        return std::nullopt;
    return daydate::toDate(serial);
}

std::optional<Money> parseAmount(const QString &cell)
{
    const QString text = trimmedCell(cell);
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (i < n && text.at(i).isSpace())
            ++i;
    };

    // A sign and a currency mark, in either order: "-￥1,000" and "￥-1,000" both occur. The
    // minus sign and the full-width yen arrive here as "-" and "\\".
    bool negative = false;
    bool signSeen = false;
    bool currencySeen = false;
    for (;; ++i) {
        skipSpaces();
        if (i == n)
            return std::nullopt;
        const char16_t c = halfWidth(text.at(i).unicode());
        if (c == u'-' || c == u'△' || c == u'▲') {
            if (signSeen)
                return std::nullopt;
            signSeen = negative = true;
        } else if (c == u'¥' || c == u'\\') {
            if (currencySeen)
                return std::nullopt;
            currencySeen = true;
        } else {
            break;
        }
    }

    // Whole units and decimals apart, joined in integers at the end: through a double, an
    // amount of fifteen digits would lose its last ones.
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    bool digitSeen = false;
    bool inFraction = false;
    int decimals = 0;
    for (; i < n; ++i) {
        const char16_t c = halfWidth(text.at(i).unicode());
        if (isDigit(c)) {
            digitSeen = true;
            const unsigned digit = c - u'0';
            if (!inFraction) {
                if (__builtin_mul_overflow(whole, 10u, &whole)
                    || __builtin_add_overflow(whole, digit, &whole))
                    return std::nullopt;
            } else if (++decimals > 4) {
                // Ten-thousandths are all an amount holds; rounding would change what was
                // written without a word.
                return std::nullopt;
            } else {
                fraction = fraction * 10 + digit;
            }
        } else if (c == u',' && !inFraction) {
            // Where the separators stand is not checked: spreadsheets group as they like.
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (!digitSeen)
        return std::nullopt;
    skipSpaces();
    if (i < n && text.at(i) == u'円')
        ++i;
    skipSpaces();
    if (i < n)
        return std::nullopt;

    for (int d = decimals; d < 4; ++d)
        fraction *= 10;
    std::uint64_t stored = 0;
    if (__builtin_mul_overflow(whole, std::uint64_t(Money::Scale), &stored)
        || __builtin_add_overflow(stored, fraction, &stored))
        return std::nullopt;
    // The negative range reaches one further than the positive one.
    const std::uint64_t limit = std::uint64_t(INT64_MAX) + (negative ? 1 : 0);
    if (stored > limit)
        return std::nullopt;
    if (!negative)
        return Money::fromStored(static_cast<std::int64_t>(stored));
    return Money::fromStored(stored == limit ? INT64_MIN : -static_cast<std::int64_t>(stored));
}

std::optional<int> parseKind(const QString &cell)
{
    const QString text = trimmedCell(cell);
    if (text.size() == 1) {
        const char16_t c = halfWidth(text.at(0).unicode());
        if (c >= u'0' && c <= u'4')
            return c - u'0';
    }
    const qsizetype index = noteKindNames().indexOf(text);
    return index >= 0 ? std::optional<int>(static_cast<int>(index)) : std::nullopt;
}

std::optional<bool> parseApproval(const QString &cell)
{
    const QString text = trimmedCell(cell);
    if (text.isEmpty())
        return false;
    if (text.size() != 1)
        return std::nullopt;
    switch (halfWidth(text.at(0).unicode())) {
    case u'〇':
    case u'○':
    case u'済':
    case u'1':
        return true;
    case u'×':
    case u'0':
        return false;
    default:
        return std::nullopt;
    }
}

} // namespace exchange
