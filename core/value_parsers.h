#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>

#include "core/money.h"
#include "core/records.h"

// The values people type, read in one place for the input sheet, the search and the import: a
// date, an amount, a kind of note, the settled flag. Each reads the text without the half- and
// full-width spaces around it, and full-width digits and signs as their half-width forms.
// Nothing means the text is no such value. A day that does not exist is nothing, never a day
// nearby.
namespace values {

// The forms only some readers take. Each reader took them before the readers shared one parser
// per value, and keeps them, so that nobody is refused what was taken before.
struct Forms
{
    // A spreadsheet's date serial, a whole number 61..2958465 of days from 1899-12-30, as a cell
    // formatted as a date holds it. Typed, "2026" would be a day of 1905.
    bool dateSerials = false;
    // "y/m/d" with a year of one to three digits.
    bool shortYears = false;
    // "+" before an amount.
    bool plusSign = false;
    // "未" and "済み" for the settled flag.
    bool settledWords = false;
};

// A date field: the common forms alone.
inline constexpr Forms TypedForms {};
inline constexpr Forms ImportForms { .dateSerials = true };
inline constexpr Forms SearchForms { .shortYears = true, .plusSign = true, .settledWords = true };

// 2024/1/31 (or with "-" or "."), 20240131, 2024年1月31日, and the Reiwa era as 令和6年1月31日,
// R6.1.31 or R6/1/31 (元年 for its first year), and what forms adds. A Reiwa date before the era
// began is nothing.
std::optional<QDate> parseDate(const QString &text, const Forms &forms = TypedForms);

// Digits with "," between them (where they stand is not checked: spreadsheets group as they
// like), an optional "円" after, "￥", "¥" or "\" before, a leading "-", "−", "△" or "▲" for a
// negative (a sign and a currency mark in either order), up to four decimals after ".".
// Computed exactly from the digits; nothing for letters, two signs, more than four decimals or
// a value beyond the 64-bit range of ten-thousandths.
std::optional<Money> parseAmount(const QString &text, const Forms &forms = TypedForms);

// A kind name of noteKindNames(), or its number 0..4.
std::optional<NoteKind> parseKind(const QString &text);

// "〇", "○", "済" or "1" is settled; "×" or "0" is not; with forms.settledWords "済み" is and
// "未" is not as well.
std::optional<bool> parseSettled(const QString &text, const Forms &forms = TypedForms);

// A field of a note, a partner or a bank, as a problem names it.
enum class Field : std::uint8_t {
    Kind, // 種類
    PartnerCode, // 取引先コード
    NoteNumber, // 手形番号
    NoteBank, // 振出銀行コード
    IssueDate, // 振出日
    DueDate, // 支払日
    Amount, // 金額
    Settled, // 承認
    Remarks, // 備考
    EnteredBy, // 入力者名
    PartnerName, // 取引先名
    BankCode, // 銀行コード
    BankName, // 銀行名
    Code, // コード: a partner's or a bank's, on the registration sheet
};

// What a check of typed values finds. The words the user reads are made in messages/.
struct Problem
{
    enum class Kind : std::uint8_t {
        // A note's own checks, the input sheet's and the import's alike.
        NoAmount,
        DueBeforeIssue,
        NoPartner,
        NoBank,
        NoNoteNumber,
        NoRight,
        Unencodable, // field: a character code page 932 cannot hold
        NotADate, // field: no date, or a day that does not exist
        // A value typed as text or brought in.
        Unreadable, // field, text: not a value of the field
        Missing, // field
        TooLong, // field, limit: more bytes than the field holds
        NotStorable, // the entry makes no record
        // Warnings of the import: the row goes in, but the user is asked first.
        NotRegistered, // field, code
        ReadAsPadded, // field, code, padded: the registered code taken for it
        NoteRepeated, // code (the partner's), text (the note number)
        Overwrites, // field, code
    };

    Problem() = default;
    Problem(Kind what, Field where = Field::Kind)
        : kind(what)
        , field(where)
    {
    }
    static Problem ofText(Kind what, Field where, const QString &text)
    {
        Problem p(what, where);
        p.text = text;
        return p;
    }
    static Problem ofCode(
        Kind what, Field where, const QByteArray &code, const QByteArray &padded = {})
    {
        Problem p(what, where);
        p.code = code;
        p.padded = padded;
        return p;
    }

    Kind kind = Kind::NotStorable;
    Field field = Field::Kind;
    QString text; // as typed or brought in
    QByteArray code; // as stored
    QByteArray padded;
    int limit = 0;

    bool warning() const { return kind >= Kind::NotRegistered; }
    bool operator==(const Problem &) const = default;
};
using Problems = std::vector<Problem>;

} // namespace values
