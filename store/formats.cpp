#include "store/formats.h"

#include <cmath>

namespace {

QString groupDigits(const QString &digits)
{
    QString out;
    out.reserve(digits.size() + digits.size() / 3);
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits.at(i);
    }
    return out;
}

QString finish(
    bool negative, const QString &whole, const QString &fraction, bool grouped, int width)
{
    QString text = grouped ? groupDigits(whole) : whole;
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    if (negative)
        text.prepend(QLatin1Char('-'));
    return width > 0 ? text.rightJustified(width, QLatin1Char(' ')) : text;
}

// Exact integer rounding: a double cannot hold every 64-bit amount.
QString wholeAmount(std::int64_t amount, bool grouped)
{
    const bool negative = amount < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    const std::uint64_t units = magnitude / 10000 + (magnitude % 10000 >= 5000 ? 1 : 0);
    return finish(negative && units != 0, QString::number(units), QString(), grouped, 10);
}

} // namespace

namespace formats {

QString number(long double value, int decimals, bool grouped, int width)
{
    if (!std::isfinite(value))
        return QString();
    const long double scale = std::pow(10.0L, decimals);
    const long double scaled = std::round(std::fabs(value) * scale); // half away from zero
    const bool negative = value < 0 && scaled != 0;
    QString digits = scaled < 1e19L ? QString::number(static_cast<qulonglong>(scaled))
                                    : QString::number(static_cast<double>(scaled), 'f', 0);
    if (decimals > 0 && digits.size() <= decimals)
        digits = digits.rightJustified(decimals + 1, QLatin1Char('0'));
    const QString whole = decimals > 0 ? digits.left(digits.size() - decimals) : digits;
    const QString fraction = decimals > 0 ? digits.right(decimals) : QString();
    return finish(negative, whole, fraction, grouped, width);
}

QString amountN(std::int64_t amount)
{
    return wholeAmount(amount, true);
}

QString amountF(std::int64_t amount)
{
    return wholeAmount(amount, false);
}

} // namespace formats
