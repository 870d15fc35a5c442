#pragma once

#include <cstdint>

#include <QString>

// Number formats of the screens, lists and CSV files; fixed conventions, not the process locale.
namespace formats {

// value rounded half away from zero to `decimals`, "," every three whole digits when grouped,
// a leading "-" for negatives, right-aligned in at least `width` characters.
QString number(long double value, int decimals, bool grouped, int width = 0);

// Amounts are held times 10,000. "%10.0n": whole units, separators, width 10.
QString amountN(std::int64_t amount);
// "%10.0f": the same without separators.
QString amountF(std::int64_t amount);

} // namespace formats
