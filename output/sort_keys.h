#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Sort keys gathered once per row, so that a million rows sort without reaching back into the
// table at every comparison.
namespace sortkey {

// A date as an integer in the same order; -0 equals 0, and a damaged value (NaN) still gets a
// fixed place, so the order stays strict for the sort.
inline std::int64_t date(double day)
{
    if (day == 0)
        day = 0;
    const auto bits = std::bit_cast<std::int64_t>(day);
    return bits < 0 ? bits ^ INT64_MAX : bits;
}

// A code of up to seven bytes: its bytes from the top, zeros after them, its length last.
// Comparing two keys compares the common bytes first; when those are equal, the zeros standing
// in for the shorter code's missing bytes tie with or lose to the longer code's, and the length
// then puts the shorter first. Equal keys mean the very same code.
inline std::uint64_t code(std::string_view bytes)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        key |= std::uint64_t(static_cast<unsigned char>(bytes[i])) << (56 - 8 * i);
    return key | bytes.size();
}
constexpr std::size_t CodeBytes = 7;

// One note's place in a listing: a date, the partner code, then one more key.
struct NoteKey
{
    std::int64_t date;
    std::uint64_t code;
    std::int64_t last;
    std::int32_t index;
};

// The indices of keys, stably sorted by date, then code, then the last key.
std::vector<std::int32_t> sortedIndices(std::vector<NoteKey> keys);

} // namespace sortkey
