#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include <QString>

class Money;

// Number formats of the screens, lists and CSV files; fixed conventions, not the process locale.
namespace formats {

// A short text on the stack: the amount field formats on every keystroke and should not allocate
// for it.
class CharBuffer
{
public:
    static constexpr std::size_t Capacity = 96;

    void push(char c)
    {
        if (size_ < Capacity)
            data_[size_++] = c;
    }
    void append(std::string_view text)
    {
        for (char c : text)
            push(c);
    }
    void truncate(std::size_t size) { size_ = size < size_ ? size : size_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    char back() const { return data_[size_ - 1]; }
    std::string_view view() const { return { data_.data(), size_ }; }
    // Right-aligned in at least width characters.
    QString toString(int width = 0) const;

private:
    std::array<char, Capacity> data_ {};
    std::size_t size_ = 0;
};

// 10 to the power n; exact for n up to 27, far beyond the digits any field holds.
long double powerOfTen(int n);

// value with exactly `decimals` decimals, rounded half away from zero, a leading "-" for
// negatives (never on a zero) and "," every three whole digits when grouped. Empty for values
// no field could hold (not finite, or 40 digits and more).
CharBuffer fixed(long double value, int decimals, bool grouped);

// The same, as text right-aligned in at least `width` characters.
QString number(long double value, int decimals, bool grouped, int width = 0);

// Whole units of a stored amount, rounded half away from zero in integers (a double cannot hold
// every 64-bit amount), "-" for negatives, "," every three digits when grouped; not padded.
CharBuffer wholeUnits(Money amount, bool grouped);
// The same as a number: whether the rounded amount is below zero, and its size in whole units.
struct WholeUnits
{
    bool negative = false;
    std::uint64_t size = 0;
};
WholeUnits roundedUnits(Money amount);

// General number format, as a value list shows an amount: whole units without separators, then
// the ten-thousandths only when some are not zero; "-" for negatives.
QString general(Money amount);

// "%10.0n": whole units, separators, width 10; exact for every stored amount.
QString amountN(Money amount);
// "%10.0f": the same without separators.
QString amountF(Money amount);

} // namespace formats
