#include <gtest/gtest.h>

#include <vector>

#include <QString>

#include "controls/nval_model.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;

namespace {

// Types characters one by one and collects the text after each.
std::vector<QString> typeKeys(NValModel &model, const QString &keys)
{
    std::vector<QString> shown;
    for (QChar key : keys) {
        model.keyPress(key);
        shown.push_back(model.Text());
    }
    return shown;
}

std::vector<QString> texts(std::initializer_list<const char16_t *> items)
{
    std::vector<QString> out;
    for (const char16_t *item : items)
        out.push_back(QString::fromUtf16(item));
    return out;
}

const NValColor Red = NValColor::Rgb(0xFF0000);
const NValColor Green = NValColor::Rgb(0x00FF00);

} // namespace

TEST(NValModel, TypingBuildsTheNumberLikeACalculator)
{
    struct Case
    {
        QString keys;
        std::vector<QString> shown;
        long double value;
    };
    const Case cases[] = {
        { u"1234"_s, texts({ u"1", u"12", u"123", u"1,234" }), 1234 },
        { u".5"_s, texts({ u"0.", u"0.5" }), 0.5L },
        { u"12.3"_s, texts({ u"1", u"12", u"12.", u"12.3" }), 12.3L },
        { u"-5"_s, texts({ u"-", u"-5" }), -5 },
        { u"-5-"_s, texts({ u"-", u"-5", u"5" }), 5 },
        { u".05"_s, texts({ u"0.", u"0.0", u"0.05" }), 0.05L },
        { u"-.5"_s, texts({ u"-", u"-0.", u"-0.5" }), -0.5L },
        { u"0"_s, texts({ u"" }), 0 },
        { u"1000000"_s,
            texts({ u"1", u"10", u"100", u"1,000", u"10,000", u"100,000", u"1,000,000" }), 1e6L },
        { u"7a +x"_s, texts({ u"7", u"7", u"7", u"7", u"7" }), 7 },
    };
    for (const Case &c : cases) {
        NValModel model;
        EXPECT_EQ(typeKeys(model, c.keys), c.shown) << c.keys.toStdString();
        EXPECT_NEAR(static_cast<double>(model.Value()), static_cast<double>(c.value), 1e-12)
            << c.keys.toStdString();
        EXPECT_EQ(model.CaretPosition(), model.Text().size()) << c.keys.toStdString();
        EXPECT_EQ(model.BeepCount(), 0) << c.keys.toStdString();
    }
}

TEST(NValModel, DecimalsTypedAreExactAsShown)
{
    NValModel model;
    typeKeys(model, u"0.1234567"_s);
    EXPECT_EQ(model.Text(), u"0.1234567"_s);
    EXPECT_EQ(model.Value(), 0.1234567L);
}

TEST(NValModel, ZeroDisplayShowsTheTypedZero)
{
    NValModel model;
    model.setZeroDisplay(true);
    EXPECT_EQ(model.Text(), u"0"_s);
    typeKeys(model, u"00"_s);
    EXPECT_EQ(model.Text(), u"0"_s);
    typeKeys(model, u"5"_s);
    EXPECT_EQ(model.Text(), u"5"_s);
}

TEST(NValModel, ApplyValueRangesAndFormats)
{
    struct Case
    {
        int maxDigits;
        int fixDecimal;
        bool comma;
        long double x;
        long double stored;
        int decimalCount;
        int digitCount;
        QString text;
    };
    const Case cases[] = {
        { 6, -1, true, 1234.5678L, 1234.5678L, 2, 6, u"1,234.57"_s },
        { 6, -1, false, 1234.5678L, 1234.5678L, 2, 6, u"1234.57"_s },
        { 9, 2, true, 12, 12, 2, 4, u"12.00"_s }, { 9, 0, true, 12.7L, 12.7L, 0, 2, u"13"_s },
        { 10, -1, true, 1e12L, 9999999999.0L, 0, 10, u"9,999,999,999"_s },
        { 10, -1, true, -1e12L, -9999999999.0L, 0, 10, u"-9,999,999,999"_s },
        { 9, 2, true, 1e12L, 9999999.99L, 2, 9, u"9,999,999.99"_s },
        { 9, -1, false, 0.000000001L, 0, 0, 0, u""_s },
        { 9, -1, true, 0.00000001L, 0.00000001L, 8, 9, u"0.00000001"_s },
        { 9, -1, true, -1234.5L, -1234.5L, 1, 5, u"-1,234.5"_s },
        { 9, -1, true, 0.1L + 0.2L, 0.1L + 0.2L, 1, 2, u"0.3"_s },
        { 10, -1, true, 12345.6789, 12345.6789, 4, 9, u"12,345.6789"_s }, // a double's noise is cut
    };
    for (const Case &c : cases) {
        NValModel model;
        model.setMaxDigits(c.maxDigits);
        model.setFixDecimal(c.fixDecimal);
        model.setPutAComma(c.comma);
        model.ApplyValue(c.x);
        EXPECT_EQ(model.Value(), c.stored) << c.text.toStdString();
        EXPECT_EQ(model.DecimalCount(), c.decimalCount) << c.text.toStdString();
        EXPECT_EQ(model.DigitCount(), c.digitCount) << c.text.toStdString();
        EXPECT_EQ(model.Text(), c.text);
    }
}

TEST(NValModel, ShownNumbersRoundHalfAwayFromZero)
{
    NValModel model;
    model.setFixDecimal(0);
    model.ApplyValue(2.5L);
    EXPECT_EQ(model.Text(), u"3"_s);
    model.ApplyValue(-2.5L);
    EXPECT_EQ(model.Text(), u"-3"_s);
    model.setFixDecimal(2);
    model.ApplyValue(0.125L);
    EXPECT_EQ(model.Text(), u"0.13"_s);
}

TEST(NValModel, TextToValueReadsOnlyWellFormedNumbers)
{
    struct Case
    {
        QString text;
        long double value;
    };
    const Case cases[] = {
        { u"１，２３４"_s, 1234 },
        { u"１２，３４５"_s, 12345 },
        { u"$1,234.5"_s, 1234.5L },
        { u"\\1,234"_s, 1234 },
        { u"￥１，２３４"_s, 1234 },
        { u"1,234,567"_s, 1234567 },
        { u"1,234,567.25"_s, 1234567.25L },
        { u"-1,234"_s, -1234 },
        { u"+12"_s, 12 },
        { u"12."_s, 12 },
        { u".5"_s, 0.5L },
        { u"12,34"_s, 0 },
        { u"1,2345"_s, 0 },
        { u",123"_s, 0 },
        { u"1234,567"_s, 0 },
        { u"1.234,5"_s, 0 },
        { u"-123,456"_s, 0 },
        { u"abc"_s, 0 },
        { u"1e5"_s, 0 },
        { u"1 234"_s, 0 },
        { u"金額"_s, 0 },
        { u"1.2.3"_s, 0 },
        { u"5-"_s, 0 },
        { u"+-5"_s, 0 },
        { u"-"_s, 0 },
        { u"$"_s, 0 },
        { u""_s, 0 },
    };
    const NValModel model;
    for (const Case &c : cases)
        EXPECT_EQ(model.TextToValue(c.text), c.value) << c.text.toStdString();
}

TEST(NValModel, KeysThatBreakALimitBeepAndChangeNothing)
{
    struct Case
    {
        const char *why;
        int maxDigits;
        int fixDecimal;
        bool prmtNegative;
        QString typed;
        QChar refused;
        QString afterBackspace;
        NValRefusal reason;
    };
    const Case cases[] = {
        { "tenth digit", 9, -1, true, u"123456789"_s, u'0', u"12,345,678"_s,
            NValRefusal::TooManyDigits },
        { "eighth whole digit with two decimals", 9, 2, true, u"1234567"_s, u'8', u"123,456"_s,
            NValRefusal::TooManyWholeDigits },
        { "third decimal", 9, 2, true, u"1.23"_s, u'4', u"1.2"_s, NValRefusal::TooManyDecimals },
        { "decimal beyond MaxDigits", 3, -1, true, u"1.23"_s, u'4', u"1.2"_s,
            NValRefusal::TooManyDigits },
        { "second point", 9, -1, true, u"1.2"_s, u'.', u"1."_s, NValRefusal::SecondPoint },
        { "point at MaxDigits", 3, -1, true, u"123"_s, u'.', u"12"_s, NValRefusal::TooManyDigits },
        { "point with whole numbers only", 9, 0, true, u"12"_s, u'.', u"1"_s,
            NValRefusal::NoDecimals },
        { "minus not permitted", 9, -1, false, u"12"_s, u'-', u"1"_s, NValRefusal::NoNegative },
    };
    for (const Case &c : cases) {
        NValModel model;
        model.setMaxDigits(c.maxDigits);
        model.setFixDecimal(c.fixDecimal);
        model.setPrmtNegative(c.prmtNegative);
        typeKeys(model, c.typed);
        ASSERT_EQ(model.BeepCount(), 0) << c.why;
        const QString before = model.Text();
        const long double value = model.Value();
        model.keyPress(c.refused);
        EXPECT_EQ(model.BeepCount(), 1) << c.why;
        EXPECT_EQ(model.LastRefusal(), c.reason) << c.why;
        EXPECT_EQ(model.Text(), before) << c.why;
        EXPECT_EQ(model.Value(), value) << c.why;
        // The refusal leaves the entry usable: taking back a digit still works.
        model.keyDown(NValKey::Backspace);
        EXPECT_EQ(model.Text(), c.afterBackspace) << c.why;
    }
    // A letter is refused without a beep, but with its reason; the next digit is taken.
    NValModel model;
    model.keyPress(u'a');
    EXPECT_EQ(model.LastRefusal(), NValRefusal::NotANumber);
    EXPECT_EQ(model.BeepCount(), 0);
    model.keyPress(u'1');
    EXPECT_EQ(model.LastRefusal(), NValRefusal::None);
}

TEST(NValModel, BackspaceTakesBackTheLastDigit)
{
    struct Case
    {
        QString typed;
        QString after;
    };
    const Case cases[] = {
        { u"1234"_s, u"123"_s },
        { u"12.3"_s, u"12."_s },
        { u"12."_s, u"1"_s },
        { u"-5"_s, u""_s },
        { u".5"_s, u"0."_s },
        { u"-.5"_s, u"-0."_s },
        { u"."_s, u""_s },
        { u"-"_s, u""_s },
        { u""_s, u""_s },
    };
    for (const Case &c : cases) {
        NValModel model;
        typeKeys(model, c.typed);
        EXPECT_EQ(model.keyDown(NValKey::Backspace), NValKeyResult::Handled);
        EXPECT_EQ(model.Text(), c.after) << c.typed.toStdString();
        EXPECT_EQ(model.TextToValue(c.after), model.Value()) << c.typed.toStdString();
    }
    NValModel model;
    typeKeys(model, u"-5"_s);
    model.keyDown(NValKey::Backspace);
    EXPECT_FALSE(model.MinusEntered());
    typeKeys(model, u"5"_s);
    EXPECT_EQ(model.Text(), u"5"_s);
}

TEST(NValModel, MinusAfterBackspaceFlipsTheSignShown)
{
    NValModel model;
    typeKeys(model, u"-51"_s);
    model.keyDown(NValKey::Backspace);
    ASSERT_EQ(model.Text(), u"-5"_s);
    typeKeys(model, u"-"_s);
    EXPECT_EQ(model.Text(), u"5"_s);
    EXPECT_EQ(model.Value(), 5);
    typeKeys(model, u"3"_s);
    EXPECT_EQ(model.Text(), u"53"_s);
    EXPECT_EQ(model.Value(), 53);
}

TEST(NValModel, EscapeReturnsToTheValueAtFocus)
{
    NValModel model;
    model.setValue(42);
    model.focusIn();
    typeKeys(model, u"7.5"_s); // replaces the selected 42
    ASSERT_EQ(model.Text(), u"7.5"_s);
    EXPECT_EQ(model.keyDown(NValKey::Escape), NValKeyResult::Handled);
    EXPECT_EQ(model.Value(), 42);
    EXPECT_EQ(model.Text(), u"42"_s);
}

TEST(NValModel, FocusLossFillsFixedDecimals)
{
    struct Case
    {
        QString typed;
        QString shown;
    };
    const Case cases[] = {
        { u"12.5"_s, u"12.50"_s },
        { u"3"_s, u"3.00"_s },
        { u"3."_s, u"3.00"_s },
        { u"1234567"_s, u"1,234,567.00"_s },
        { u""_s, u""_s },
        { u"0"_s, u""_s },
    };
    for (const Case &c : cases) {
        NValModel model;
        model.setFixDecimal(2);
        model.focusIn();
        typeKeys(model, c.typed);
        model.focusOut();
        EXPECT_EQ(model.Text(), c.shown) << c.typed.toStdString();
        EXPECT_EQ(model.SavedValue(), model.Value());
    }
}

TEST(NValModel, TypingOverASelectionStartsANewNumber)
{
    NValModel model;
    typeKeys(model, u"-5"_s);
    model.keyDown(NValKey::Home);
    ASSERT_EQ(model.SelLength(), 2);
    typeKeys(model, u"7"_s);
    EXPECT_EQ(model.Text(), u"7"_s); // sign discarded with the old number
    EXPECT_EQ(model.Value(), 7);

    typeKeys(model, u"-"_s);
    model.keyDown(NValKey::Home);
    typeKeys(model, u"."_s);
    EXPECT_EQ(model.Text(), u"-0."_s); // the point keeps a typed minus

    model.keyDown(NValKey::Home);
    typeKeys(model, u"-"_s);
    EXPECT_EQ(model.Text(), u"-"_s);
}

TEST(NValModel, DeleteClearsOnlyASelectionUnlessDelAllClear)
{
    NValModel model;
    typeKeys(model, u"123"_s);
    EXPECT_EQ(model.keyDown(NValKey::Delete), NValKeyResult::Handled);
    EXPECT_EQ(model.Text(), u"123"_s);
    model.keyDown(NValKey::Home);
    model.keyDown(NValKey::Delete);
    EXPECT_EQ(model.Text(), u""_s);

    typeKeys(model, u"45"_s);
    model.setDelAllClear(true);
    model.keyDown(NValKey::Delete);
    EXPECT_EQ(model.Text(), u""_s);
    EXPECT_EQ(model.Value(), 0);
}

TEST(NValModel, ReadOnlyRefusesEveryChange)
{
    NValModel model;
    model.setValue(12);
    model.setReadOnly(true);
    typeKeys(model, u"3-."_s);
    model.keyDown(NValKey::Backspace);
    model.keyDown(NValKey::Escape);
    model.keyDown(NValKey::Home);
    model.keyDown(NValKey::Delete);
    EXPECT_EQ(model.Text(), u"12"_s);
    EXPECT_EQ(model.BeepCount(), 0);
}

TEST(NValModel, FocusSelectsAllUnlessAClickGaveIt)
{
    NValModel model;
    model.setValue(1234);
    model.focusIn();
    EXPECT_EQ(model.SelStart(), 0);
    EXPECT_EQ(model.SelLength(), 5);

    model.focusOut();
    model.mouseActivate();
    model.focusIn();
    EXPECT_EQ(model.SelLength(), 0);

    model.setAutoSelect(false);
    model.focusOut();
    model.focusIn();
    EXPECT_EQ(model.SelLength(), 0);
}

TEST(NValModel, MouseReleaseKeepsTheCaretOutOfTheNumber)
{
    NValModel model;
    model.setValue(1234);
    model.setSelection(0, 5);
    model.mouseUp();
    EXPECT_EQ(model.SelStart(), 0);
    EXPECT_EQ(model.SelLength(), 5);

    model.setSelection(1, 2);
    model.mouseUp();
    EXPECT_EQ(model.SelLength(), 0);
    EXPECT_EQ(model.CaretPosition(), 5);

    model.setSelection(2, 3);
    model.doubleClick();
    model.mouseUp();
    EXPECT_EQ(model.SelStart(), 2); // the word a double click selected stays
    EXPECT_EQ(model.SelLength(), 3);
    model.mouseUp();
    EXPECT_EQ(model.SelLength(), 0);
}

TEST(NValModel, PasteReplacesTheWholeValue)
{
    NValModel model;
    typeKeys(model, u"99"_s);
    model.paste(u"１２，３４５"_s);
    EXPECT_EQ(model.Value(), 12345);
    EXPECT_EQ(model.Text(), u"12,345"_s);
    model.paste(u"12,34"_s);
    EXPECT_EQ(model.Text(), u""_s);
    model.setZeroDisplay(true);
    model.paste(u"abc"_s);
    EXPECT_EQ(model.Text(), u"0"_s);
    model.paste(u"-7"_s);
    model.paste(std::nullopt);
    EXPECT_EQ(model.Value(), 0);
    EXPECT_FALSE(model.MinusEntered());
}

TEST(NValModel, TextFromOutsideIsReadBack)
{
    NValModel model;
    model.textSet(u"1234.5"_s);
    EXPECT_EQ(model.Value(), 1234.5L);
    EXPECT_EQ(model.Text(), u"1,234.5"_s);
    model.textSet(u"abc"_s);
    EXPECT_EQ(model.Value(), 0);
    EXPECT_EQ(model.Text(), u""_s);
    model.undo(u"-1,000"_s);
    EXPECT_EQ(model.Text(), u"-1,000"_s);
}

TEST(NValModel, LeadingCharPrefixesTheNumberAndItsSign)
{
    NValModel model;
    model.setLeadingChar(u'\\');
    model.setValue(1234);
    EXPECT_EQ(model.Text(), u"\\1,234"_s);
    model.setValue(-5);
    EXPECT_EQ(model.Text(), u"\\-5"_s);
    model.setValue(0);
    EXPECT_EQ(model.Text(), u""_s);
    typeKeys(model, u"-"_s);
    EXPECT_EQ(model.Text(), u"\\-"_s);

    EXPECT_EQ(model.TextToValue(u"\\-1,234"_s), -1234);
    EXPECT_EQ(model.TextToValue(u"￥１，２３４"_s), 1234);
    EXPECT_EQ(model.TextToValue(u"$5"_s), 0); // "$" is only skipped without a prefix of our own
    model.paste(u"\\2,500"_s);
    EXPECT_EQ(model.Text(), u"\\2,500"_s);

    model.setLeadingChar(u'$');
    EXPECT_EQ(model.Text(), u"$2,500"_s);
    model.setLeadingChar(QChar(0));
    EXPECT_EQ(model.LeadingChar(), u' ');
    EXPECT_EQ(model.Text(), u"2,500"_s);
    EXPECT_EQ(model.Value(), 2500);
}

TEST(NValModel, PropertySettersKeepTheValueInBounds)
{
    NValModel model;
    model.setValue(123456);
    model.setMaxDigits(4);
    EXPECT_EQ(model.MaxDigits(), 4);
    EXPECT_EQ(model.Value(), 9999);
    EXPECT_EQ(model.Text(), u"9,999"_s);
    for (int refused : { 0, 16 }) {
        model.setMaxDigits(refused);
        EXPECT_EQ(model.MaxDigits(), 4);
    }

    model.setMaxDigits(9);
    model.setValue(12.789L);
    model.setFixDecimal(2);
    EXPECT_EQ(model.Value(), 12.78L); // cut, not rounded
    EXPECT_EQ(model.Text(), u"12.78"_s);
    model.setMaxDigits(2);
    EXPECT_EQ(model.MaxDigits(), 9); // not above the fixed decimals
    model.setFixDecimal(20);
    EXPECT_EQ(model.FixDecimal(), 8);
    model.setFixDecimal(-5);
    EXPECT_EQ(model.FixDecimal(), -1);

    model.setValue(-1234.5L);
    model.setPutAComma(false);
    EXPECT_EQ(model.Text(), u"-1234.5"_s);
    model.setPrmtNegative(false);
    EXPECT_EQ(model.Value(), 1234.5L);
    EXPECT_EQ(model.Text(), u"1234.5"_s);
}

TEST(NValModel, NumbersTooSmallToShowArePlainZeros)
{
    NValModel model;
    model.ApplyValue(-1e-12L);
    EXPECT_EQ(model.Text(), u""_s);
    EXPECT_FALSE(model.MinusEntered());

    model.setFixDecimal(2);
    model.ApplyValue(0.001L);
    EXPECT_EQ(model.Text(), u""_s);
    typeKeys(model, u"5"_s);
    EXPECT_EQ(model.Text(), u"5"_s);
    EXPECT_EQ(model.BeepCount(), 0);
}

TEST(NValModel, NegativeValuesObeyPrmtNegative)
{
    NValModel model;
    model.setMinusColor(Red);
    model.setPrmtNegative(false);
    model.ApplyValue(-5);
    EXPECT_EQ(model.Value(), 5);
    EXPECT_EQ(model.Text(), u"5"_s);
    EXPECT_EQ(model.FontColor(), NValColor::WindowText());
    model.ApplyValue(-1e20L);
    EXPECT_EQ(model.Text(), u"999,999,999"_s);
    EXPECT_EQ(model.FontColor(), NValColor::WindowText());
}

TEST(NValModel, MinusColorMarksNegativeNumbers)
{
    NValModel model;
    model.setMinusColor(Red);
    EXPECT_EQ(model.FontColor(), NValColor::WindowText());
    typeKeys(model, u"-"_s);
    EXPECT_EQ(model.FontColor(), Red); // a lone minus sign already counts
    typeKeys(model, u"5"_s);
    EXPECT_EQ(model.FontColor(), Red);
    typeKeys(model, u"-"_s);
    EXPECT_EQ(model.FontColor(), NValColor::WindowText());
}

TEST(NValModel, FontColorFromOutsideFollowsTheMinusColorRule)
{
    NValModel plain;
    plain.fontColorChanged(Green);
    EXPECT_EQ(plain.MinusColor(), Green); // no colour of its own: it follows the font
    EXPECT_EQ(plain.PositiveColor(), Green);
    plain.setValue(-3);
    EXPECT_EQ(plain.FontColor(), Green);

    NValModel coloured;
    coloured.setMinusColor(Red);
    coloured.setValue(-3);
    ASSERT_EQ(coloured.FontColor(), Red);
    coloured.fontColorChanged(Green);
    EXPECT_EQ(coloured.FontColor(), Red); // negative numbers keep their colour
    EXPECT_EQ(coloured.PositiveColor(), Green);
    coloured.setValue(3);
    EXPECT_EQ(coloured.FontColor(), Green);
    coloured.fontColorChanged(NValColor::Rgb(0x0000FF));
    EXPECT_EQ(coloured.PositiveColor(), NValColor::Rgb(0x0000FF));
    EXPECT_EQ(coloured.MinusColor(), Red);
}
