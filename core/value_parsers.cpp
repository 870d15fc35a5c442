#include "core/value_parsers.h"

#include <QRegularExpression>
#include <QStringList>

#include "core/day_date.h"
#include "core/half_width.h"
#include "core/kinds.h"

using namespace Qt::StringLiterals;

namespace values {

namespace {

    bool isDigit(char16_t c)
    {
        return c >= u'0' && c <= u'9';
    }

    // The first day of the Reiwa era; its year N is the Gregorian year 2018 + N.
    constexpr int ReiwaOffset = 2018;
    const QDate ReiwaBegins(2019, 5, 1);

    // Serials 1..60 are the spreadsheet's days before its invented 1900-02-29, which this count
    // does not have; 2958465 is 9999-12-31, its last day.
    constexpr int FirstSerial = 61;
    constexpr int LastSerial = 2958465;

    std::optional<QDate> dateOf(int year, int month, int day)
    {
        if (!QDate::isValid(year, month, day))
            return std::nullopt;
        return QDate(year, month, day);
    }

    std::optional<QDate> typedDate(const QString &typed, const Forms &forms)
    {
        static const QRegularExpression western(
            u"^(\\d{4})(?:([/.-])(\\d{1,2})\\2(\\d{1,2})|年(\\d{1,2})月(\\d{1,2})日?|(\\d{2})(\\d{2}))$"_s);
        static const QRegularExpression reiwa(
            u"^(?:令和|[Rr])\\s*(元|\\d{1,2})(?:年(\\d{1,2})月(\\d{1,2})日?|([/.-])(\\d{1,2})\\4(\\d{1,2}))$"_s);
        static const QRegularExpression shortYear(u"^(\\d{1,3})/(\\d{1,2})/(\\d{1,2})$"_s);

        QRegularExpressionMatch m = western.match(typed);
        if (m.hasMatch()) {
            const int year = m.captured(1).toInt();
            for (int first : { 3, 5, 7 })
                if (m.hasCaptured(first))
                    return dateOf(year, m.captured(first).toInt(), m.captured(first + 1).toInt());
        }
        if (forms.shortYears) {
            m = shortYear.match(typed);
            if (m.hasMatch())
                return dateOf(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        }
        m = reiwa.match(typed);
        if (!m.hasMatch())
            return std::nullopt;
        const int era = m.captured(1) == u"元"_s ? 1 : m.captured(1).toInt();
        const int first = m.hasCaptured(2) ? 2 : 5;
        const std::optional<QDate> date =
            dateOf(ReiwaOffset + era, m.captured(first).toInt(), m.captured(first + 1).toInt());
        if (!date || *date < ReiwaBegins)
            return std::nullopt;
        return date;
    }

    std::optional<QDate> serialDate(const QString &text)
    {
        int serial = 0;
        for (QChar c : text) {
            const char16_t d = halfWidth(c.unicode());
            if (!isDigit(d) || serial > LastSerial)
                return std::nullopt;
            serial = serial * 10 + (d - u'0');
        }
        if (serial < FirstSerial || serial > LastSerial)
            return std::nullopt;
        return daydate::toDate(serial);
    }

} // namespace

std::optional<QDate> parseDate(const QString &text, const Forms &forms)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (const std::optional<QDate> date =
            typedDate(trimmed.normalized(QString::NormalizationForm_KC).trimmed(), forms))
        return date;
    // Digits as a spreadsheet writes them: "²" or "①", which the normal form makes digits, are
    // none.
    if (forms.dateSerials)
        return serialDate(trimmed);
    return std::nullopt;
}

std::optional<Money> parseAmount(const QString &typed, const Forms &forms)
{
    // QChar::isSpace takes U+3000, the full-width space, as well.
    const QString text = typed.trimmed();
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (i < n && text.at(i).isSpace())
            ++i;
    };

    // A sign and a currency mark, in either order: "-￥1,000" and "￥-1,000" both occur. The
    // minus sign and the full-width yen arrive here as "-" and "\\".
    bool negative = false;
    bool signSeen = false;
    bool currencySeen = false;
    for (;; ++i) {
        skipSpaces();
        if (i == n)
            return std::nullopt;
        const char16_t c = halfWidth(text.at(i).unicode());
        const bool minus = c == u'-' || c == u'△' || c == u'▲';
        if (minus || (c == u'+' && forms.plusSign)) {
            if (signSeen)
                return std::nullopt;
            signSeen = true;
            negative = minus;
        } else if (c == u'¥' || c == u'\\') {
            if (currencySeen)
                return std::nullopt;
            currencySeen = true;
        } else {
            break;
        }
    }

    // Whole units and decimals apart, joined in integers at the end: through a double, an
    // amount of fifteen digits would lose its last ones.
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    bool digitSeen = false;
    bool inFraction = false;
    int decimals = 0;
    for (; i < n; ++i) {
        const char16_t c = halfWidth(text.at(i).unicode());
        if (isDigit(c)) {
            digitSeen = true;
            const unsigned digit = c - u'0';
            if (!inFraction) {
                if (__builtin_mul_overflow(whole, 10u, &whole)
                    || __builtin_add_overflow(whole, digit, &whole))
                    return std::nullopt;
            } else if (++decimals > 4) {
                // Ten-thousandths are all an amount holds; rounding would change what was
                // written without a word.
                return std::nullopt;
            } else {
                fraction = fraction * 10 + digit;
            }
        } else if (c == u',' && !inFraction) {
            // Where the separators stand is not checked: spreadsheets group as they like.
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (!digitSeen)
        return std::nullopt;
    skipSpaces();
    if (i < n && text.at(i) == u'円')
        ++i;
    skipSpaces();
    if (i < n)
        return std::nullopt;

    for (int d = decimals; d < 4; ++d)
        fraction *= 10;
    std::uint64_t stored = 0;
    if (__builtin_mul_overflow(whole, std::uint64_t(Money::Scale), &stored)
        || __builtin_add_overflow(stored, fraction, &stored))
        return std::nullopt;
    // The negative range reaches one further than the positive one.
    const std::uint64_t limit = std::uint64_t(INT64_MAX) + (negative ? 1 : 0);
    if (stored > limit)
        return std::nullopt;
    if (!negative)
        return Money::fromStored(static_cast<std::int64_t>(stored));
    return Money::fromStored(stored == limit ? INT64_MIN : -static_cast<std::int64_t>(stored));
}

std::optional<NoteKind> parseKind(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.size() == 1) {
        const char16_t c = halfWidth(text.at(0).unicode());
        if (c >= u'0' && c < u'0' + NoteKindCount)
            return static_cast<NoteKind>(c - u'0');
    }
    const qsizetype index = noteKindNames().indexOf(text);
    if (index < 0)
        return std::nullopt;
    return static_cast<NoteKind>(index);
}

std::optional<bool> parseSettled(const QString &typed, const Forms &forms)
{
    const QString text = typed.trimmed();
    if (forms.settledWords) {
        if (text == u"未"_s)
            return false;
        if (text == u"済み"_s)
            return true;
    }
    if (text.size() != 1)
        return std::nullopt;
    switch (halfWidth(text.at(0).unicode())) {
    case u'〇':
    case u'○':
    case u'済':
    case u'1':
        return true;
    case u'×':
    case u'0':
        return false;
    default:
        return std::nullopt;
    }
}

} // namespace values
