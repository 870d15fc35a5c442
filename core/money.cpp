#include "core/money.h"

#include <cmath>
#include <limits>

#include "core/formats.h"

Money Money::fromValue(long double value)
{
    const long double scaled = value * Scale;
    if (std::isnan(scaled))
        return {};
    constexpr long double top = static_cast<long double>(std::numeric_limits<std::int64_t>::max());
    constexpr long double bottom =
        static_cast<long double>(std::numeric_limits<std::int64_t>::min());
    if (scaled >= top)
        return fromStored(std::numeric_limits<std::int64_t>::max());
    if (scaled <= bottom)
        return fromStored(std::numeric_limits<std::int64_t>::min());
    // Halves to even, whatever rounding mode the process happens to be in.
    const long double below = std::floor(scaled);
    const long double fraction = scaled - below;
    long double rounded = below;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(below, 2.0L) != 0))
        rounded = below + 1;
    return fromStored(static_cast<std::int64_t>(rounded));
}

QString Money::textN() const
{
    return formats::amountN(*this);
}

QString Money::textF() const
{
    return formats::amountF(*this);
}
