#pragma once

#include <string_view>

#include <QDate>
#include <QString>
#include <QStringList>

#include "due/due_lists.h"

// The texts of what falls due, shared by the window, its printed reports and their CSV files.
namespace due {

QString dateText(QDate day); // "2026/12/07"
QString amountText(Money amount); // "1,234,567"
QString yenText(Money amount); // "1,234,567円"; 円以上 or 円以下 for a sum stopped at a limit
QString monthText(QDate month); // "2026年12月"
QString countText(std::int64_t count); // "3件"
// "合計 3件 1,234,567円"
QString totalLine(const NoteList &list);

// The columns of the three lists of the first tab and their cells.
QStringList dueColumns(); // 支払日, 決済日, 取引先名, 手形番号, 金額, 振出銀行
QStringList dueCells(const DueNote &row, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName);

// The cash plan's columns and the cells of the overdue row, of a month and of the total row.
QStringList planColumns(); // 年月, 支払手形, 受取手形, 差引
QStringList planPastDueCells(const MonthPlan &pastDue); // 期日経過, …
QStringList planCells(const MonthPlan &month);
QStringList planTotalCells(const MonthPlan &total);

// Payable notes on long terms: 取引先名, 手形番号, 振出日, 支払日, サイト, 金額.
QStringList longTermColumns();
QStringList longTermCells(const DueNote &row, const NoteRecord &note, std::string_view partnerName);
// "60日を超える支払手形 3件" and why 60 days matters.
QString longTermCountLine(const NoteList &list);
QString longTermExplanation();

// Notes due after paper clearing ends: 種類, 取引先名, 手形番号, 支払日, 金額, 振出銀行.
QStringList clearingColumns();
QStringList clearingCells(const DueNote &row, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName);
// "支払手形 2件 1,000,000円 ／ …" for the kinds that have any, and what to arrange.
QString clearingCountLine(const Overview &overview);
QString clearingExplanation();

// The status line: "期日経過の受取手形 2件 ／ 14日以内の支払 3件 1,234,567円 ／ 入金 1件
// 500,000円".
QString statusText(const StatusCounts &counts, int days);

} // namespace due
