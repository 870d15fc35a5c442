#pragma once

#include <cstdint>
#include <optional>

#include <QChar>
#include <QString>

// A font colour as the number model sees it: the system's window-text colour (which follows the
// platform palette) or a plain RGB value. The model stays free of QtGui, so it cannot hold a
// QColor.
class NValColor
{
public:
    static constexpr NValColor WindowText() { return NValColor(true, 0); }
    static constexpr NValColor Rgb(std::uint32_t rgb) { return NValColor(false, rgb & 0xFFFFFFu); }

    constexpr bool isWindowText() const { return m_windowText; }
    // 0xRRGGBB; meaningless for the window-text colour.
    constexpr std::uint32_t rgb() const { return m_rgb; }

    friend constexpr bool operator==(NValColor, NValColor) = default;

private:
    constexpr NValColor(bool windowText, std::uint32_t rgb)
        : m_windowText(windowText)
        , m_rgb(rgb)
    {
    }

    bool m_windowText;
    std::uint32_t m_rgb;
};

// Keys the edit handles by key-down rather than as characters.
enum class NValKey { Backspace, Enter, Escape, Home, Left, Up, Down, Delete };

// What the widget does with a key-down after the model has seen it.
enum class NValKeyResult {
    Handled, // the key goes no further
    Default, // the edit's own handling applies
    FocusNext,
    FocusPrevious
};

// The number behind the calculator-style amount field: entry state, formatting and every key,
// focus, mouse and clipboard step, without any widget. The widget feeds it events (and the
// selection and read-only state it currently has) and shows Text(), the selection, FontColor()
// and a beep for every increase of BeepCount().
class NValModel
{
public:
    NValModel();

    // Properties with setters of their own.
    long double Value() const { return m_value; }
    void setValue(long double value) { ApplyValue(value); }
    int MaxDigits() const { return m_maxDigits; }
    void setMaxDigits(int digits);
    int FixDecimal() const { return m_fixDecimal; }
    void setFixDecimal(int decimals);
    bool PrmtNegative() const { return m_prmtNegative; }
    void setPrmtNegative(bool permitted);
    QChar LeadingChar() const { return m_leadingChar; }
    void setLeadingChar(QChar ch);
    bool ZeroDisplay() const { return m_zeroDisplay; }
    void setZeroDisplay(bool display);
    bool PutAComma() const { return m_putAComma; }
    void setPutAComma(bool comma);

    // Properties that only store; a new MinusColor shows at the next ShowValue.
    bool DelAllClear() const { return m_delAllClear; }
    void setDelAllClear(bool clear) { m_delAllClear = clear; }
    bool EnterNext() const { return m_enterNext; }
    void setEnterNext(bool next) { m_enterNext = next; }
    bool ArrowNext() const { return m_arrowNext; }
    void setArrowNext(bool next) { m_arrowNext = next; }
    NValColor MinusColor() const { return m_minusColor; }
    void setMinusColor(NValColor color) { m_minusColor = color; }

    // State the edit itself owns; the widget keeps these in step before each event.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool AutoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool autoSelect) { m_autoSelect = autoSelect; }
    void setSelection(int start, int length);

    // Outputs.
    const QString &Text() const { return m_text; }
    int SelStart() const { return m_selStart; }
    int SelLength() const { return m_selLength; }
    int CaretPosition() const { return m_selStart + m_selLength; }
    NValColor FontColor() const { return m_fontColor; }
    NValColor PositiveColor() const { return m_positiveColor; }
    int BeepCount() const { return m_beeps; }

    // Entry state, visible for the widget's tests and the curious.
    int DigitCount() const { return m_digitCount; }
    int DecimalCount() const { return m_decimalCount; }
    bool PointEntered() const { return m_pointEntered; }
    bool MinusEntered() const { return m_minusEntered; }
    long double SavedValue() const { return m_savedValue; }

    // Stores x and rebuilds the text; the only place the text is built.
    void ShowValue(long double x);
    // The setter of Value: ranges x, works out the digits and decimals to show, then ShowValue.
    void ApplyValue(long double x);
    // Reads pasted or foreign text as a number; anything unreadable is 0.
    long double TextToValue(const QString &text) const;

    // Events.
    void keyPress(QChar ch);
    NValKeyResult keyDown(NValKey key);
    void focusIn();
    void focusOut();
    void mouseActivate() { m_mouseActivated = true; }
    void doubleClick() { m_doubleClicked = true; }
    void mouseUp();
    void paste(const std::optional<QString> &clipboardText);
    void cut() { ApplyValue(0); }
    void clear() { ApplyValue(0); }
    void undo(const QString &textAfterUndo) { ApplyValue(TextToValue(textAfterUndo)); }
    // Text written into the edit by anyone but the model.
    void textSet(const QString &text);
    // A font colour chosen from outside; the model's own colour switches never come here.
    void fontColorChanged(NValColor color);

private:
    void resetEntry(bool keepMinus = false);
    bool hasSelection() const { return m_selLength > 0; }
    bool isNegative() const { return m_value < 0 || m_minusEntered; }
    bool hasLeadingChar() const { return m_leadingChar.unicode() > 32; }
    void selectAll();
    void caretToEnd();
    void beep() { ++m_beeps; }
    void updateFontColor(long double x);

    void minusKey();
    void pointKey();
    void digitKey(int digit);
    void backspaceKey();

    // Properties.
    int m_maxDigits = 9;
    bool m_prmtNegative = true;
    int m_fixDecimal = -1;
    bool m_delAllClear = false;
    QChar m_leadingChar = QLatin1Char(' ');
    bool m_zeroDisplay = false;
    long double m_value = 0;
    bool m_putAComma = true;
    bool m_enterNext = false;
    bool m_arrowNext = false;
    NValColor m_minusColor = NValColor::WindowText();

    // Entry state.
    int m_digitCount = 0;
    int m_decimalCount = 0;
    bool m_pointEntered = false;
    bool m_minusEntered = false;
    long double m_savedValue = 0;
    NValColor m_positiveColor = NValColor::WindowText();
    NValColor m_fontColor = NValColor::WindowText();
    bool m_mouseActivated = false;
    bool m_doubleClicked = false;
    bool m_reparseOnSetText = false;

    // The edit's own state.
    bool m_readOnly = false;
    bool m_autoSelect = true;
    QString m_text;
    int m_selStart = 0;
    int m_selLength = 0;
    int m_beeps = 0;
};
