#include "core/formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/money.h"

namespace {

// Writes the sign, then `digits` split into whole and fractional parts, grouping the whole part:
// the one place a "," goes every three digits.
formats::CharBuffer layOut(bool negative, std::string_view digits, int decimals, bool grouped)
{
    formats::CharBuffer out;
    const std::size_t padded = std::max(digits.size(), static_cast<std::size_t>(decimals) + 1);
    const std::size_t wholeDigits = padded - static_cast<std::size_t>(decimals);
    const std::size_t zeros = padded - digits.size();
    const auto digitAt = [&](std::size_t i) { return i < zeros ? '0' : digits[i - zeros]; };
    if (negative)
        out.push('-');
    for (std::size_t i = 0; i < wholeDigits; ++i) {
        if (grouped && i > 0 && (wholeDigits - i) % 3 == 0)
            out.push(',');
        out.push(digitAt(i));
    }
    if (decimals > 0) {
        out.push('.');
        for (std::size_t i = wholeDigits; i < padded; ++i)
            out.push(digitAt(i));
    }
    return out;
}

// The sign and the size of a stored amount; the size of the lowest one fits unsigned.
std::pair<bool, std::uint64_t> signAndSize(Money amount)
{
    const std::int64_t stored = amount.stored();
    const bool negative = stored < 0;
    return { negative,
        negative ? 0 - static_cast<std::uint64_t>(stored) : static_cast<std::uint64_t>(stored) };
}

constexpr auto StoredScale = static_cast<std::uint64_t>(Money::Scale);

} // namespace

namespace formats {

long double powerOfTen(int n)
{
    long double power = 1;
    for (int i = 0; i < n; ++i)
        power *= 10;
    return power;
}

QString CharBuffer::toString(int width) const
{
    const QString text = QString::fromLatin1(data_.data(), static_cast<qsizetype>(size_));
    return width > 0 ? text.rightJustified(width, QLatin1Char(' ')) : text;
}

CharBuffer fixed(long double value, int decimals, bool grouped)
{
    decimals = std::clamp(decimals, 0, 18);
    if (!std::isfinite(value))
        return {};
    const long double scaled = std::round(std::fabs(value) * formats::powerOfTen(decimals));
    if (!(scaled < 1e40L))
        return {};
    std::array<char, 64> digits {};
    // Below 10^18 the integer conversion gives the same digits far quicker than the long double
    // one, which matters to lists that format a figure on every line.
    const auto written = scaled < 1e18L
        ? std::to_chars(
            digits.data(), digits.data() + digits.size(), static_cast<std::uint64_t>(scaled))
        : std::to_chars(
            digits.data(), digits.data() + digits.size(), scaled, std::chars_format::fixed, 0);
    if (written.ec != std::errc())
        return {};
    return layOut(value < 0 && scaled != 0,
        { digits.data(), static_cast<std::size_t>(written.ptr - digits.data()) }, decimals,
        grouped);
}

QString number(long double value, int decimals, bool grouped, int width)
{
    return fixed(value, decimals, grouped).toString(width);
}

// Whole units of a stored amount, rounded half away from zero in integers: a double cannot hold
// every 64-bit amount.
WholeUnits roundedUnits(Money amount)
{
    const auto [negative, magnitude] = signAndSize(amount);
    const std::uint64_t units =
        magnitude / StoredScale + (magnitude % StoredScale >= StoredScale / 2 ? 1 : 0);
    return { negative && units != 0, units };
}

CharBuffer wholeUnits(Money amount, bool grouped)
{
    const WholeUnits units = roundedUnits(amount);
    std::array<char, 24> digits {};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), units.size);
    return layOut(units.negative,
        { digits.data(), static_cast<std::size_t>(written.ptr - digits.data()) }, 0, grouped);
}

QString general(Money amount)
{
    const auto [negative, magnitude] = signAndSize(amount);
    QString text = QString::number(magnitude / StoredScale);
    if (const std::uint64_t fraction = magnitude % StoredScale; fraction != 0) {
        QString decimals = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (decimals.endsWith(QLatin1Char('0')))
            decimals.chop(1);
        text += QLatin1Char('.') + decimals;
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString amountN(Money amount)
{
    return wholeUnits(amount, true).toString(10);
}

QString amountF(Money amount)
{
    return wholeUnits(amount, false).toString(10);
}

} // namespace formats
