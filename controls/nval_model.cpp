#include "controls/nval_model.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace {

// A short text on the stack: the model formats on every keystroke and should not allocate for it.
class CharBuffer
{
public:
    static constexpr std::size_t Capacity = 96;

    void push(char c)
    {
        if (m_size < Capacity)
            m_data[m_size++] = c;
    }
    void append(std::string_view text)
    {
        for (char c : text)
            push(c);
    }
    void truncate(std::size_t size) { m_size = std::min(m_size, size); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    char back() const { return m_data[m_size - 1]; }
    std::string_view view() const { return { m_data.data(), m_size }; }

private:
    std::array<char, Capacity> m_data {};
    std::size_t m_size = 0;
};

// Exact for n up to 27, far beyond the 15 digits the field can hold.
long double powerOfTen(int n)
{
    long double power = 1;
    for (int i = 0; i < n; ++i)
        power *= 10;
    return power;
}

// Digits of an integral, non-negative value, exactly.
CharBuffer integerDigits(long double integral)
{
    std::array<char, 64> digits {};
    const auto written = std::to_chars(
        digits.data(), digits.data() + digits.size(), integral, std::chars_format::fixed, 0);
    CharBuffer out;
    if (written.ec == std::errc())
        out.append({ digits.data(), static_cast<std::size_t>(written.ptr - digits.data()) });
    return out;
}

// The value with exactly `decimals` decimals, rounded half away from zero, "-" for negatives and
// "," every three whole digits when grouped. Empty for values no field could hold.
CharBuffer fixedText(long double value, int decimals, bool grouped)
{
    CharBuffer out;
    decimals = std::clamp(decimals, 0, 18);
    const long double scaled = std::round(std::fabs(value) * powerOfTen(decimals));
    if (!(scaled < 1e40L))
        return out;
    const CharBuffer digits = integerDigits(scaled);
    const std::size_t padded = std::max(digits.size(), static_cast<std::size_t>(decimals) + 1);
    const std::size_t wholeDigits = padded - decimals;
    auto digitAt = [&](std::size_t i) {
        const std::size_t zeros = padded - digits.size();
        return i < zeros ? '0' : digits.view()[i - zeros];
    };
    if (value < 0 && scaled != 0)
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

// Full-width forms to their half-width ones, so that １２，３４５ reads as 12,345.
char16_t halfWidth(char16_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return static_cast<char16_t>(c - 0xFEE0);
    switch (c) {
    case 0x3000: // ideographic space
        return u' ';
    case 0xFFE5: // full-width yen, the backslash of code page 932
        return u'\\';
    case 0x2212: // minus sign, as some input methods give the full-width minus
        return u'-';
    }
    return c;
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
    ApplyValue(m_value);
    m_savedValue = m_value;
}

void NValModel::setMaxDigits(int digits)
{
    if (digits < 1 || digits > 15 || digits <= m_fixDecimal)
        return;
    const CharBuffer text = digitText(std::fabs(m_value));
    const int whole = static_cast<int>(wholeDigitCount(text));
    const int decimals = text.size() > static_cast<std::size_t>(whole)
        ? static_cast<int>(text.size()) - whole - 1
        : 0;
    const int needed = whole + std::max(decimals, m_fixDecimal);
    m_maxDigits = digits;
    if (digits < needed)
        ApplyValue(m_value); // limits the value to the new maximum
}

void NValModel::setFixDecimal(int decimals)
{
    decimals = std::clamp(decimals, -1, m_maxDigits - 1);
    m_fixDecimal = decimals;
    if (decimals < 0)
        return;
    // Surplus decimals are cut, not rounded: the field never invents a larger number.
    CharBuffer text = digitText(std::fabs(m_value));
    const std::size_t whole = wholeDigitCount(text);
    if (text.size() > whole)
        text.truncate(whole + 1 + decimals);
    const long double magnitude = readNumber(text.view()).value_or(0);
    ApplyValue(m_value < 0 ? -magnitude : magnitude);
}

void NValModel::setPrmtNegative(bool permitted)
{
    m_prmtNegative = permitted;
    if (!permitted && m_value < 0)
        ApplyValue(-m_value);
}

void NValModel::setLeadingChar(QChar ch)
{
    if (ch.unicode() == 0)
        ch = QLatin1Char(' ');
    if (hasLeadingChar()) {
        const qsizetype previous = m_text.indexOf(m_leadingChar);
        if (previous >= 0)
            m_text.remove(previous, 1);
    }
    m_leadingChar = ch;
    if (hasLeadingChar() && !m_text.isEmpty())
        m_text.prepend(ch);
    caretToEnd();
}

void NValModel::setZeroDisplay(bool display)
{
    m_zeroDisplay = display;
    ShowValue(m_value);
}

void NValModel::setPutAComma(bool comma)
{
    m_putAComma = comma;
    ApplyValue(m_value);
}

void NValModel::setSelection(int start, int length)
{
    const int size = static_cast<int>(m_text.size());
    m_selStart = std::clamp(start, 0, size);
    m_selLength = std::clamp(length, 0, size - m_selStart);
}

void NValModel::ShowValue(long double x)
{
    m_value = x;
    updateFontColor(x);

    CharBuffer number;
    if (x == 0 && !m_pointEntered) {
        if (m_zeroDisplay)
            number.push('0');
        m_decimalCount = 0;
        m_digitCount = 0;
    } else {
        number = fixedText(x, m_decimalCount, m_putAComma);
        // A typed point shows before its first decimal arrives.
        if (m_pointEntered && m_decimalCount == 0 && m_maxDigits > m_digitCount)
            number.push('.');
    }

    const bool addMinus = m_minusEntered && number.view().find('-') == std::string_view::npos;
    QString text;
    text.reserve(static_cast<qsizetype>(number.size()) + 2);
    if (hasLeadingChar() && (addMinus || !number.empty()))
        text += m_leadingChar;
    if (addMinus)
        text += QLatin1Char('-');
    text += QLatin1StringView(number.view().data(), static_cast<qsizetype>(number.size()));

    m_reparseOnSetText = false;
    m_text = std::move(text);
    m_reparseOnSetText = true;
    caretToEnd();
}

void NValModel::ApplyValue(long double x)
{
    if (std::isnan(x))
        x = 0;
    const int fixed = std::max(m_fixDecimal, 0);
    m_minusEntered = x < 0;
    const long double magnitude = std::fabs(x);
    m_pointEntered = false;
    m_decimalCount = fixed;

    const int smallestDecimals = m_fixDecimal > 0 ? m_fixDecimal : m_maxDigits - 1;
    if (magnitude < 1 / powerOfTen(smallestDecimals)) {
        // Too small to show: a plain zero, without a stray sign or point.
        x = 0;
        m_minusEntered = false;
    }
    if (m_fixDecimal > 0)
        m_pointEntered = x != 0;
    if (x == 0) {
        ShowValue(0);
        return;
    }

    const long double largest = powerOfTen(m_maxDigits - fixed) - 1 / powerOfTen(fixed);
    if (magnitude > largest) {
        if (!m_prmtNegative)
            m_minusEntered = false;
        m_digitCount = m_maxDigits;
        ShowValue(m_minusEntered ? -largest : largest);
        return;
    }

    const CharBuffer digits = digitText(magnitude);
    int whole = static_cast<int>(wholeDigitCount(digits));
    const int size = static_cast<int>(digits.size());
    int fraction = whole < size ? size - whole - 1 : 0;
    if (fraction > 0 && m_fixDecimal == 0) {
        // Whole numbers only: the fraction is rounded away on screen, possibly adding a digit.
        whole = static_cast<int>(digitText(std::round(magnitude)).size());
        fraction = 0;
    } else if (fraction > 0) {
        if (whole + 1 <= m_maxDigits && m_fixDecimal < 0) {
            // Free decimals: only those within MaxDigits count, less any zeros they end with.
            CharBuffer shown = digits;
            shown.truncate(static_cast<std::size_t>(m_maxDigits) + 1);
            dropTrailingZeros(shown);
            fraction = static_cast<int>(shown.size()) - whole - 1;
        }
        m_pointEntered = true;
    }

    if (x < 0 && !m_prmtNegative) {
        x = -x;
        m_minusEntered = false;
    }
    if (m_fixDecimal == -1)
        m_decimalCount = std::max(0, std::min(m_maxDigits - whole, fraction));
    m_digitCount = whole + m_decimalCount;
    ShowValue(x);
}

long double NValModel::TextToValue(const QString &text) const
{
    if (text.isEmpty())
        return 0;
    qsizetype first = 0;
    const char16_t head = halfWidth(text.at(0).unicode());
    if (hasLeadingChar() ? head == halfWidth(m_leadingChar.unicode())
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
    if (m_readOnly)
        return;
    const char16_t c = ch.unicode();
    if (c == u'-')
        minusKey();
    else if (c == u'.')
        pointKey();
    else if (c >= u'0' && c <= u'9')
        digitKey(c - u'0');
    // Anything else cannot belong to a number and is swallowed without a beep.
}

NValKeyResult NValModel::keyDown(NValKey key)
{
    switch (key) {
    case NValKey::Backspace:
        if (!m_readOnly)
            backspaceKey();
        return NValKeyResult::Handled;
    case NValKey::Enter:
        return m_enterNext ? NValKeyResult::FocusNext : NValKeyResult::Default;
    case NValKey::Escape:
        if (!m_readOnly)
            ApplyValue(m_savedValue);
        return NValKeyResult::Handled;
    case NValKey::Home:
        selectAll();
        return NValKeyResult::Handled;
    case NValKey::Left:
        // The caret stays at the end: digits are only ever added there.
        return NValKeyResult::Handled;
    case NValKey::Up:
        return m_arrowNext ? NValKeyResult::FocusPrevious : NValKeyResult::Default;
    case NValKey::Down:
        return m_arrowNext ? NValKeyResult::FocusNext : NValKeyResult::Default;
    case NValKey::Delete:
        if (!m_readOnly && (hasSelection() || m_delAllClear)) {
            resetEntry();
            ShowValue(0);
        }
        return NValKeyResult::Handled;
    }
    return NValKeyResult::Default;
}

void NValModel::focusIn()
{
    m_savedValue = m_value;
    if (m_autoSelect && !m_mouseActivated)
        selectAll();
    m_mouseActivated = false;
}

void NValModel::focusOut()
{
    m_savedValue = m_value;
    m_mouseActivated = false;
    if (m_fixDecimal > 0 && m_value != 0 && m_decimalCount != m_fixDecimal) {
        m_digitCount += m_fixDecimal - m_decimalCount;
        m_decimalCount = m_fixDecimal;
        m_pointEntered = true;
    }
    ShowValue(m_value);
}

void NValModel::mouseUp()
{
    // A click never leaves the caret inside the number; a select-all survives it.
    if (!m_doubleClicked) {
        const bool allSelected = m_selStart == 0 && m_selLength == m_text.size();
        if (allSelected)
            selectAll();
        else
            caretToEnd();
    }
    m_doubleClicked = false;
}

void NValModel::paste(const std::optional<QString> &clipboardText)
{
    ApplyValue(clipboardText ? TextToValue(*clipboardText) : 0);
}

void NValModel::textSet(const QString &text)
{
    m_text = text;
    setSelection(m_selStart, m_selLength);
    if (m_reparseOnSetText) {
        ApplyValue(TextToValue(text));
        caretToEnd();
    }
}

void NValModel::fontColorChanged(NValColor color)
{
    m_fontColor = color;
    if (color == m_positiveColor && !isNegative())
        return;
    if (m_positiveColor == m_minusColor) {
        // No minus colour of its own: it follows the font colour.
        m_minusColor = color;
        m_positiveColor = color;
    } else if (isNegative()) {
        if (color != m_minusColor) {
            m_positiveColor = color;
            m_fontColor = m_minusColor;
        }
    } else {
        m_positiveColor = color;
    }
}

void NValModel::resetEntry(bool keepMinus)
{
    m_value = 0;
    m_decimalCount = 0;
    m_pointEntered = false;
    m_digitCount = 0;
    if (!keepMinus)
        m_minusEntered = false;
}

void NValModel::selectAll()
{
    m_selStart = 0;
    m_selLength = static_cast<int>(m_text.size());
}

void NValModel::caretToEnd()
{
    m_selStart = static_cast<int>(m_text.size());
    m_selLength = 0;
}

void NValModel::updateFontColor(long double x)
{
    if (m_minusColor != m_positiveColor)
        m_fontColor = (x < 0 || m_minusEntered) ? m_minusColor : m_positiveColor;
}

void NValModel::minusKey()
{
    if (!m_prmtNegative) {
        beep();
        return;
    }
    if (hasSelection())
        resetEntry();
    // The new sign is the opposite of what the field shows. Backspace may leave a negative Value
    // with MinusEntered clear; flipping the flag alone would then show "-" before a positive
    // number.
    m_minusEntered = !isNegative();
    ShowValue(-m_value);
}

void NValModel::pointKey()
{
    if (m_fixDecimal == 0) {
        m_pointEntered = false;
        m_decimalCount = 0;
        beep();
        return;
    }
    if (hasSelection())
        resetEntry(true); // a typed minus survives: "-" then "." over a selection gives "-0."
    if (m_digitCount >= m_maxDigits) {
        beep();
        return;
    }
    if (m_digitCount == 0)
        m_digitCount = 1; // the zero before the point
    if (m_pointEntered)
        beep();
    else
        m_pointEntered = true;
    ShowValue(m_value);
}

void NValModel::digitKey(int digit)
{
    if (hasSelection()) {
        resetEntry();
        ShowValue(0);
    }
    const bool negative = isNegative();
    const int oldDecimalCount = m_decimalCount;
    long double candidate = 0;
    if (!m_pointEntered) {
        m_value = std::round(m_value);
        if (m_value == 0 && m_digitCount == 1)
            m_digitCount = 0;
        candidate = negative ? m_value * 10 - digit : m_value * 10 + digit;
    } else {
        ++m_decimalCount;
        const long double step = digit / powerOfTen(m_decimalCount);
        candidate = negative ? m_value - step : m_value + step;
    }

    const int oldDigitCount = m_digitCount;
    if (m_decimalCount == 1 && m_value == 0)
        m_digitCount = 2; // the zero before the point and the first decimal
    else
        ++m_digitCount;

    if (m_digitCount > m_maxDigits) {
        m_digitCount = m_maxDigits;
        if (m_pointEntered)
            m_decimalCount = oldDecimalCount;
        beep();
        return;
    }
    if (!m_pointEntered) {
        // Whole digits may not take the places kept for the fixed decimals.
        if (m_fixDecimal >= 0 && m_digitCount > m_maxDigits - m_fixDecimal) {
            m_digitCount = m_maxDigits - m_fixDecimal;
            beep();
            return;
        }
    } else if (m_fixDecimal >= 0 && m_decimalCount > m_fixDecimal) {
        m_decimalCount = m_fixDecimal;
        m_digitCount = oldDigitCount;
        beep();
        return;
    }
    // Through the text, so that 0.1 + 0.02 is exactly the 0.12 a later Backspace writes back.
    const CharBuffer rounded = fixedText(candidate, m_decimalCount, false);
    ShowValue(readNumber(rounded.view()).value_or(0));
}

void NValModel::backspaceKey()
{
    if (hasSelection()) {
        resetEntry();
        ShowValue(0);
    }
    if (m_digitCount <= 0) {
        resetEntry();
        ShowValue(0);
        return;
    }
    CharBuffer text = fixedText(m_value, m_decimalCount, false);
    if (!text.empty())
        text.truncate(text.size() - 1);
    --m_digitCount;
    if (m_decimalCount > 0) {
        --m_decimalCount;
    } else {
        m_decimalCount = 0;
        m_pointEntered = false;
        m_minusEntered = false;
    }
    if (text.empty() || text.view() == "-")
        ShowValue(0);
    else
        ShowValue(readNumber(text.view()).value_or(0));
}
