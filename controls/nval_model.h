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

    constexpr bool isWindowText() const { return windowText_; }
    // 0xRRGGBB; meaningless for the window-text colour.
    constexpr std::uint32_t rgb() const { return rgb_; }

    friend constexpr bool operator==(NValColor, NValColor) = default;

private:
    constexpr NValColor(bool windowText, std::uint32_t rgb)
        : windowText_(windowText)
        , rgb_(rgb)
    {
    }

    bool windowText_;
    std::uint32_t rgb_;
};

// Keys the edit handles by key-down rather than as characters.
enum class NValKey { Backspace, Enter, Escape, Home, Left, Up, Down, Delete };

// Why a typed character changed nothing; the widget says it beside the field.
enum class NValRefusal {
    None,
    NotANumber, // a character that cannot belong to a number
    TooManyDigits, // past MaxDigits, whole and decimal digits together
    TooManyWholeDigits, // into the places kept for the fixed decimals
    TooManyDecimals, // past FixDecimal
    SecondPoint,
    NoDecimals, // the point, with whole numbers only
    NoNegative // the minus sign, with negatives not permitted
};

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
    long double Value() const { return value_; }
    void setValue(long double value) { ApplyValue(value); }
    int MaxDigits() const { return maxDigits_; }
    void setMaxDigits(int digits);
    int FixDecimal() const { return fixDecimal_; }
    void setFixDecimal(int decimals);
    bool PrmtNegative() const { return prmtNegative_; }
    void setPrmtNegative(bool permitted);
    QChar LeadingChar() const { return leadingChar_; }
    void setLeadingChar(QChar ch);
    bool ZeroDisplay() const { return zeroDisplay_; }
    void setZeroDisplay(bool display);
    bool PutAComma() const { return putAComma_; }
    void setPutAComma(bool comma);

    // Properties that only store; a new MinusColor shows at the next ShowValue.
    bool DelAllClear() const { return delAllClear_; }
    void setDelAllClear(bool clear) { delAllClear_ = clear; }
    bool EnterNext() const { return enterNext_; }
    void setEnterNext(bool next) { enterNext_ = next; }
    bool ArrowNext() const { return arrowNext_; }
    void setArrowNext(bool next) { arrowNext_ = next; }
    NValColor MinusColor() const { return minusColor_; }
    void setMinusColor(NValColor color) { minusColor_ = color; }

    // State the edit itself owns; the widget keeps these in step before each event.
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool AutoSelect() const { return autoSelect_; }
    void setAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }
    void setSelection(int start, int length);

    // Outputs.
    const QString &Text() const { return text_; }
    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    int CaretPosition() const { return selStart_ + selLength_; }
    NValColor FontColor() const { return fontColor_; }
    NValColor PositiveColor() const { return positiveColor_; }
    int BeepCount() const { return beeps_; }
    // Why the last character typed was refused; None when it was taken.
    NValRefusal LastRefusal() const { return refusal_; }

    // Entry state, visible for the widget's tests and the curious.
    int DigitCount() const { return digitCount_; }
    int DecimalCount() const { return decimalCount_; }
    bool PointEntered() const { return pointEntered_; }
    bool MinusEntered() const { return minusEntered_; }
    long double SavedValue() const { return savedValue_; }

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
    void mouseActivate() { mouseActivated_ = true; }
    void doubleClick() { doubleClicked_ = true; }
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
    bool hasSelection() const { return selLength_ > 0; }
    bool isNegative() const { return value_ < 0 || minusEntered_; }
    bool hasLeadingChar() const { return leadingChar_.unicode() > 32; }
    void selectAll();
    void caretToEnd();
    void beep() { ++beeps_; }
    void refuse(NValRefusal why)
    {
        refusal_ = why;
        beep();
    }
    void updateFontColor(long double x);

    void minusKey();
    void pointKey();
    void digitKey(int digit);
    void backspaceKey();

    // Properties.
    int maxDigits_ = 9;
    bool prmtNegative_ = true;
    int fixDecimal_ = -1;
    bool delAllClear_ = false;
    QChar leadingChar_ = QLatin1Char(' ');
    bool zeroDisplay_ = false;
    long double value_ = 0;
    bool putAComma_ = true;
    bool enterNext_ = false;
    bool arrowNext_ = false;
    NValColor minusColor_ = NValColor::WindowText();

    // Entry state.
    int digitCount_ = 0;
    int decimalCount_ = 0;
    bool pointEntered_ = false;
    bool minusEntered_ = false;
    long double savedValue_ = 0;
    NValColor positiveColor_ = NValColor::WindowText();
    NValColor fontColor_ = NValColor::WindowText();
    bool mouseActivated_ = false;
    bool doubleClicked_ = false;
    bool reparseOnSetText_ = false;

    // The edit's own state.
    bool readOnly_ = false;
    bool autoSelect_ = true;
    QString text_;
    int selStart_ = 0;
    int selLength_ = 0;
    int beeps_ = 0;
    NValRefusal refusal_ = NValRefusal::None;
};
