#pragma once

#include <optional>

#include <QDate>
#include <QString>

#include "core/money.h"

// The fields of a brought-in CSV file, read the ways spreadsheets and people write them. Each
// trims half- and full-width spaces first; nullopt means the cell cannot be read, and the
// caller says so.
namespace exchange {

// Every form daydate::parseTyped takes (2026/1/5, 20260105, 2026年1月5日, 令和8年1月5日, R8.1.5,
// full-width digits), and a spreadsheet's date serial: a whole number 61..2958465 counted from
// 1899-12-30. A day that does not exist is nullopt, never moved.
std::optional<QDate> parseDate(const QString &cell);

// Digits with "," or "，" between them, an optional "円" after, "￥", "¥" or "\" before, a leading
// "-", "－", "−", "△" or "▲" for a negative, up to four decimals after "." or "．"; full-width
// digits count. Computed exactly from the digits; nullopt for an empty cell, letters, two signs,
// more than four decimals or a value beyond the 64-bit range of ten-thousandths.
std::optional<Money> parseAmount(const QString &cell);

// A kind name of noteKindNames(), or its index 0..4 as a half- or full-width digit.
std::optional<int> parseKind(const QString &cell);

// "〇", "○", "済" or "1" is approved; "×", "0" or an empty cell is not.
std::optional<bool> parseApproval(const QString &cell);

} // namespace exchange
