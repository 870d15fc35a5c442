#include "controls/nval_model.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "core/formats.h"
#include "core/half_width.h"

namespace {

using formats::CharBuffer;
using formats::powerOfTen;

std::size_t wholeDigitCount(const CharBuffer &digits)
{
    const std::size_t point = digits.view().find('.');
    return point == std::string_view::npos ? digits.size() : point;
}

void dropTrailingZeros(CharBuffer &digits)
{
    if (digits.view().find('.') == std::string_view::npos)
        return;
    while (digits.back() == '0')
        digits.truncate(digits.size() - 1);
}

// A magnitude without separators, with up to 14 decimals and no trailing zeros
// ("0.##############"), held to 18 significant digits as the extended type carries no more.
CharBuffer digitText(long double magnitude)
{
    auto write = [magnitude](int decimals) {
        std::array<char, 64> text {};
        const auto written = std::to_chars(
            text.data(), text.data() + text.size(), magnitude, std::chars_format::fixed, decimals);
        CharBuffer out;
        if (written.ec == std::errc())
            out.append({ text.data(), static_cast<std::size_t>(written.ptr - text.data()) });
        return out;
    };
    CharBuffer digits = write(14);
    const int whole = static_cast<int>(wholeDigitCount(digits));
    if (whole > 4)
        digits = write(std::max(0, 18 - whole));
    dropTrailingZeros(digits);
    if (!digits.empty() && digits.back() == '.')
        digits.truncate(digits.size() - 1);
    return digits;
}

// Plain decimal conversion, "." as the point and never the locale's; blanks around allowed.
std::optional<long double> readNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return std::nullopt;
    }
    long double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool isNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The commas of a pasted number must stand every three digits before the point; a sign counts
// among the characters before the point, so "-123,456" does not pass.
bool commasInPlace(std::string_view text)
{
    const std::size_t length = text.size();
    const std::size_t dot = text.find('.');
    const std::size_t pointPosition =
        dot == std::string_view::npos ? length + 1 : dot + 1; // 1-based
    int commas = 0;
    for (std::size_t position = length; position >= 1; --position) {
        const char c = text[position - 1];
        if (c == ',') {
            if (position >= pointPosition || position == 1 || (pointPosition - position) % 4 != 0)
                return false;
            ++commas;
        } else if (!isNumberChar(c)) {
            return false;
        }
    }
    return commas == 0 || commas == (static_cast<int>(pointPosition) - commas - 2) / 3;
}

} // namespace

NValModel::NValModel()
{
    // The state a freshly loaded control has: entry reset, the value shown, and saved for Escape.
    resetEntry();
    ApplyValue(value_);
    savedValue_ = value_;
}

void NValModel::setMaxDigits(int digits)
{
    if (digits < 1 || digits > 15 || digits <= fixDecimal_)
        return;
    const CharBuffer text = digitText(std::fabs(value_));
    const int whole = static_cast<int>(wholeDigitCount(text));
    const int decimals = text.size() > static_cast<std::size_t>(whole)
        ? static_cast<int>(text.size()) - whole - 1
        : 0;
    const int needed = whole + std::max(decimals, fixDecimal_);
    maxDigits_ = digits;
    if (digits < needed)
        ApplyValue(value_); // limits the value to the new maximum
}

void NValModel::setFixDecimal(int decimals)
{
    decimals = std::clamp(decimals, -1, maxDigits_ - 1);
    fixDecimal_ = decimals;
    if (decimals < 0)
        return;
    // Surplus decimals are cut, not rounded: the field never invents a larger number.
    CharBuffer text = digitText(std::fabs(value_));
    const std::size_t whole = wholeDigitCount(text);
    if (text.size() > whole)
        text.truncate(whole + 1 + decimals);
    const long double magnitude = readNumber(text.view()).value_or(0);
    ApplyValue(value_ < 0 ? -magnitude : magnitude);
}

void NValModel::setPrmtNegative(bool permitted)
{
    prmtNegative_ = permitted;
    if (!permitted && value_ < 0)
        ApplyValue(-value_);
}

void NValModel::setLeadingChar(QChar ch)
{
    if (ch.unicode() == 0)
        ch = QLatin1Char(' ');
    if (hasLeadingChar()) {
        const qsizetype previous = text_.indexOf(leadingChar_);
        if (previous >= 0)
            text_.remove(previous, 1);
    }
    leadingChar_ = ch;
    if (hasLeadingChar() && !text_.isEmpty())
        text_.prepend(ch);
    caretToEnd();
}

void NValModel::setZeroDisplay(bool display)
{
    zeroDisplay_ = display;
    ShowValue(value_);
}

void NValModel::setPutAComma(bool comma)
{
    putAComma_ = comma;
    ApplyValue(value_);
}

void NValModel::setSelection(int start, int length)
{
    const int size = static_cast<int>(text_.size());
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
}

void NValModel::ShowValue(long double x)
{
    value_ = x;
    updateFontColor(x);

    CharBuffer number;
    if (x == 0 && !pointEntered_) {
        if (zeroDisplay_)
            number.push('0');
        decimalCount_ = 0;
        digitCount_ = 0;
    } else {
        number = formats::fixed(x, decimalCount_, putAComma_);
        // A typed point shows before its first decimal arrives.
        if (pointEntered_ && decimalCount_ == 0 && maxDigits_ > digitCount_)
            number.push('.');
    }

    const bool addMinus = minusEntered_ && number.view().find('-') == std::string_view::npos;
    QString text;
    text.reserve(static_cast<qsizetype>(number.size()) + 2);
    if (hasLeadingChar() && (addMinus || !number.empty()))
        text += leadingChar_;
    if (addMinus)
        text += QLatin1Char('-');
    text += QLatin1StringView(number.view().data(), static_cast<qsizetype>(number.size()));

    reparseOnSetText_ = false;
    text_ = std::move(text);
    reparseOnSetText_ = true;
    caretToEnd();
}

void NValModel::ApplyValue(long double x)
{
    if (std::isnan(x))
        x = 0;
    const int fixed = std::max(fixDecimal_, 0);
    minusEntered_ = x < 0;
    const long double magnitude = std::fabs(x);
    pointEntered_ = false;
    decimalCount_ = fixed;

    const int smallestDecimals = fixDecimal_ > 0 ? fixDecimal_ : maxDigits_ - 1;
    if (magnitude < 1 / powerOfTen(smallestDecimals)) {
        // Too small to show: a plain zero, without a stray sign or point.
        x = 0;
        minusEntered_ = false;
    }
    if (fixDecimal_ > 0)
        pointEntered_ = x != 0;
    if (x == 0) {
        ShowValue(0);
        return;
    }

    const long double largest = powerOfTen(maxDigits_ - fixed) - 1 / powerOfTen(fixed);
    if (magnitude > largest) {
        if (!prmtNegative_)
            minusEntered_ = false;
        digitCount_ = maxDigits_;
        ShowValue(minusEntered_ ? -largest : largest);
        return;
    }

    const CharBuffer digits = digitText(magnitude);
    int whole = static_cast<int>(wholeDigitCount(digits));
    const int size = static_cast<int>(digits.size());
    int fraction = whole < size ? size - whole - 1 : 0;
    if (fraction > 0 && fixDecimal_ == 0) {
        // Whole numbers only: the fraction is rounded away on screen, possibly adding a digit.
        whole = static_cast<int>(digitText(std::round(magnitude)).size());
        fraction = 0;
    } else if (fraction > 0) {
        if (whole + 1 <= maxDigits_ && fixDecimal_ < 0) {
            // Free decimals: only those within MaxDigits count, less any zeros they end with.
            CharBuffer shown = digits;
            shown.truncate(static_cast<std::size_t>(maxDigits_) + 1);
            dropTrailingZeros(shown);
            fraction = static_cast<int>(shown.size()) - whole - 1;
        }
        pointEntered_ = true;
    }

    if (x < 0 && !prmtNegative_) {
        x = -x;
        minusEntered_ = false;
    }
    if (fixDecimal_ == -1)
        decimalCount_ = std::max(0, std::min(maxDigits_ - whole, fraction));
    digitCount_ = whole + decimalCount_;
    ShowValue(x);
}

long double NValModel::TextToValue(const QString &text) const
{
    if (text.isEmpty())
        return 0;
    qsizetype first = 0;
    const char16_t head = halfWidth(text.at(0).unicode());
    if (hasLeadingChar() ? head == halfWidth(leadingChar_.unicode())
                         : (head == u'$' || head == u'\\'))
        first = 1;

    std::string ascii; // short numbers stay within the small-string buffer
    ascii.reserve(static_cast<std::size_t>(text.size() - first));
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = halfWidth(text.at(i).unicode());
        if (c > 0x7E) // double-byte characters and anything else non-numeric
            return 0;
        ascii.push_back(static_cast<char>(c));
    }
    if (!commasInPlace(ascii))
        return 0;
    std::erase(ascii, ',');
    return readNumber(ascii).value_or(0);
}

void NValModel::keyPress(QChar ch)
{
    refusal_ = NValRefusal::None;
    if (readOnly_)
        return;
    const char16_t c = ch.unicode();
    if (c == u'-')
        minusKey();
    else if (c == u'.')
        pointKey();
    else if (c >= u'0' && c <= u'9')
        digitKey(c - u'0');
    else if (ch.isPrint())
        refusal_ = NValRefusal::NotANumber; // swallowed without a beep, but said
}

NValKeyResult NValModel::keyDown(NValKey key)
{
    switch (key) {
    case NValKey::Backspace:
        if (!readOnly_)
            backspaceKey();
        return NValKeyResult::Handled;
    case NValKey::Enter:
        return enterNext_ ? NValKeyResult::FocusNext : NValKeyResult::Default;
    case NValKey::Escape:
        if (!readOnly_)
            ApplyValue(savedValue_);
        return NValKeyResult::Handled;
    case NValKey::Home:
        selectAll();
        return NValKeyResult::Handled;
    case NValKey::Left:
        // The caret stays at the end: digits are only ever added there.
        return NValKeyResult::Handled;
    case NValKey::Up:
        return arrowNext_ ? NValKeyResult::FocusPrevious : NValKeyResult::Default;
    case NValKey::Down:
        return arrowNext_ ? NValKeyResult::FocusNext : NValKeyResult::Default;
    case NValKey::Delete:
        if (!readOnly_ && (hasSelection() || delAllClear_)) {
            resetEntry();
            ShowValue(0);
        }
        return NValKeyResult::Handled;
    }
    return NValKeyResult::Default;
}

void NValModel::focusIn()
{
    savedValue_ = value_;
    if (autoSelect_ && !mouseActivated_)
        selectAll();
    mouseActivated_ = false;
}

void NValModel::focusOut()
{
    savedValue_ = value_;
    mouseActivated_ = false;
    if (fixDecimal_ > 0 && value_ != 0 && decimalCount_ != fixDecimal_) {
        digitCount_ += fixDecimal_ - decimalCount_;
        decimalCount_ = fixDecimal_;
        pointEntered_ = true;
    }
    ShowValue(value_);
}

void NValModel::mouseUp()
{
    // A click never leaves the caret inside the number; a select-all survives it.
    if (!doubleClicked_) {
        const bool allSelected = selStart_ == 0 && selLength_ == text_.size();
        if (allSelected)
            selectAll();
        else
            caretToEnd();
    }
    doubleClicked_ = false;
}

void NValModel::paste(const std::optional<QString> &clipboardText)
{
    ApplyValue(clipboardText ? TextToValue(*clipboardText) : 0);
}

void NValModel::textSet(const QString &text)
{
    text_ = text;
    setSelection(selStart_, selLength_);
    if (reparseOnSetText_) {
        ApplyValue(TextToValue(text));
        caretToEnd();
    }
}

void NValModel::fontColorChanged(NValColor color)
{
    fontColor_ = color;
    if (color == positiveColor_ && !isNegative())
        return;
    if (positiveColor_ == minusColor_) {
        // No minus colour of its own: it follows the font colour.
        minusColor_ = color;
        positiveColor_ = color;
    } else if (isNegative()) {
        if (color != minusColor_) {
            positiveColor_ = color;
            fontColor_ = minusColor_;
        }
    } else {
        positiveColor_ = color;
    }
}

void NValModel::resetEntry(bool keepMinus)
{
    value_ = 0;
    decimalCount_ = 0;
    pointEntered_ = false;
    digitCount_ = 0;
    if (!keepMinus)
        minusEntered_ = false;
}

void NValModel::selectAll()
{
    selStart_ = 0;
    selLength_ = static_cast<int>(text_.size());
}

void NValModel::caretToEnd()
{
    selStart_ = static_cast<int>(text_.size());
    selLength_ = 0;
}

void NValModel::updateFontColor(long double x)
{
    if (minusColor_ != positiveColor_)
        fontColor_ = (x < 0 || minusEntered_) ? minusColor_ : positiveColor_;
}

void NValModel::minusKey()
{
    if (!prmtNegative_) {
        refuse(NValRefusal::NoNegative);
        return;
    }
    if (hasSelection())
        resetEntry();
    // The new sign is the opposite of what the field shows. Backspace may leave a negative Value
    // with MinusEntered clear; flipping the flag alone would then show "-" before a positive
    // number.
    minusEntered_ = !isNegative();
    ShowValue(-value_);
}

void NValModel::pointKey()
{
    if (fixDecimal_ == 0) {
        pointEntered_ = false;
        decimalCount_ = 0;
        refuse(NValRefusal::NoDecimals);
        return;
    }
    if (hasSelection())
        resetEntry(true); // a typed minus survives: "-" then "." over a selection gives "-0."
    if (digitCount_ >= maxDigits_) {
        refuse(NValRefusal::TooManyDigits);
        return;
    }
    if (digitCount_ == 0)
        digitCount_ = 1; // the zero before the point
    if (pointEntered_)
        refuse(NValRefusal::SecondPoint);
    else
        pointEntered_ = true;
    ShowValue(value_);
}

void NValModel::digitKey(int digit)
{
    if (hasSelection()) {
        resetEntry();
        ShowValue(0);
    }
    const bool negative = isNegative();
    const int oldDecimalCount = decimalCount_;
    long double candidate = 0;
    if (!pointEntered_) {
        value_ = std::round(value_);
        if (value_ == 0 && digitCount_ == 1)
            digitCount_ = 0;
        candidate = negative ? value_ * 10 - digit : value_ * 10 + digit;
    } else {
        ++decimalCount_;
        const long double step = digit / powerOfTen(decimalCount_);
        candidate = negative ? value_ - step : value_ + step;
    }

    const int oldDigitCount = digitCount_;
    if (decimalCount_ == 1 && value_ == 0)
        digitCount_ = 2; // the zero before the point and the first decimal
    else
        ++digitCount_;

    if (digitCount_ > maxDigits_) {
        digitCount_ = maxDigits_;
        if (pointEntered_)
            decimalCount_ = oldDecimalCount;
        refuse(NValRefusal::TooManyDigits);
        return;
    }
    if (!pointEntered_) {
        // Whole digits may not take the places kept for the fixed decimals.
        if (fixDecimal_ >= 0 && digitCount_ > maxDigits_ - fixDecimal_) {
            digitCount_ = maxDigits_ - fixDecimal_;
            refuse(NValRefusal::TooManyWholeDigits);
            return;
        }
    } else if (fixDecimal_ >= 0 && decimalCount_ > fixDecimal_) {
        decimalCount_ = fixDecimal_;
        digitCount_ = oldDigitCount;
        refuse(NValRefusal::TooManyDecimals);
        return;
    }
    // Through the text, so that 0.1 + 0.02 is exactly the 0.12 a later Backspace writes back.
    const CharBuffer rounded = formats::fixed(candidate, decimalCount_, false);
    ShowValue(readNumber(rounded.view()).value_or(0));
}

void NValModel::backspaceKey()
{
    if (hasSelection()) {
        resetEntry();
        ShowValue(0);
    }
    if (digitCount_ <= 0) {
        resetEntry();
        ShowValue(0);
        return;
    }
    CharBuffer text = formats::fixed(value_, decimalCount_, false);
    if (!text.empty())
        text.truncate(text.size() - 1);
    --digitCount_;
    if (decimalCount_ > 0) {
        --decimalCount_;
    } else {
        decimalCount_ = 0;
        pointEntered_ = false;
        minusEntered_ = false;
    }
    if (text.empty() || text.view() == "-")
        ShowValue(0);
    else
        ShowValue(readNumber(text.view()).value_or(0));
}
