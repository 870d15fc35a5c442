#pragma once

#include <compare>
#include <cstdint>

#include <QString>

// An amount of money as the note file holds it: a signed 64-bit integer of ten-thousandths, so
// sums are exact. Packed like the records it sits in, so it can be a field of one.
#pragma pack(push, 1)

class Money
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromStored(std::int64_t stored)
    {
        Money m;
        m.stored_ = stored;
        return m;
    }
    // An entered value: times 10,000, rounded to the nearest integer with halves to even, held
    // within the 64-bit range.
    static Money fromValue(long double value);

    constexpr std::int64_t stored() const { return stored_; }
    // The value as the amount field shows and takes it.
    long double value() const { return static_cast<long double>(stored_) / Scale; }

    // "%10.0n": whole units, separators, width 10. "%10.0f": the same without separators.
    QString textN() const;
    QString textF() const;

    // Sums of a million notes of the largest amounts pass the 64-bit range: they stop at its
    // ends instead of wrapping round to the other sign, and stay there, since what lies beyond
    // is not known.
    constexpr Money operator+(Money other) const
    {
        if (atLimit())
            return *this;
        if (other.atLimit())
            return other;
        std::int64_t sum = 0;
        if (__builtin_add_overflow(stored_, other.stored_, &sum))
            sum = other.stored_ > 0 ? INT64_MAX : INT64_MIN;
        return fromStored(sum);
    }
    constexpr Money &operator+=(Money other) { return *this = *this + other; }
    // At an end of the range: a sum that stopped there, or an entered value held within it.
    constexpr bool atUpperLimit() const { return stored_ == INT64_MAX; }
    constexpr bool atLowerLimit() const { return stored_ == INT64_MIN; }
    constexpr bool atLimit() const { return atUpperLimit() || atLowerLimit(); }
    constexpr bool operator==(const Money &) const = default;
    constexpr auto operator<=>(const Money &) const = default;

private:
    std::int64_t stored_ = 0;
};

#pragma pack(pop)

static_assert(sizeof(Money) == 8);
