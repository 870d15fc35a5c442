#pragma once

#include <memory>

#include <QDate>
#include <QString>

#include "core/tables.h"
#include "due/due_lists.h"
#include "output/report_design.h"
#include "store/file_system.h"

class Progress;

// The printed reports of what falls due and their CSV files, made of the same cell texts as the
// window's lists. A report copies the rows it needs, so the overview may go once it is made; the
// tables must stay as they are while the report lives, as for every report.
namespace due {

// "2026年12月07日現在"
QString asOfText(QDate today);

// The titles, shared by the page headers and the first line of each CSV file.
QString cashPlanTitle(); // 資金繰り予定
QString longTermTitle(); // 支払サイト点検
QString clearingTitle(); // 2027年4月以降に期日の手形

// Header texts: 0 the title, 1 the as-of text. Detail texts are the cells of due_texts.h; the
// totals band of the cash plan is its 合計 row, that of the other two the count line and the
// explanation.
std::unique_ptr<output::Report> cashPlanReport(const Overview &o, const QString &asOf);
std::unique_ptr<output::Report> longTermReport(
    const Tables &tables, const Overview &o, const QString &asOf);
std::unique_ptr<output::Report> clearingReport(
    const Tables &tables, const Overview &o, const QString &asOf);

// The same content as CSV: the title and the as-of text, the column heads, one line per row,
// then the totals. false with the message (file and reason, in Japanese) in error when the file
// could not be written whole; the old file then stays.
bool cashPlanCsv(const QString &path, const Overview &o, const QString &asOf, QString *error,
    Progress *progress, FileSystem &fs);
bool longTermCsv(const QString &path, const Tables &tables, const Overview &o, const QString &asOf,
    QString *error, Progress *progress, FileSystem &fs);
bool clearingCsv(const QString &path, const Tables &tables, const Overview &o, const QString &asOf,
    QString *error, Progress *progress, FileSystem &fs);

} // namespace due
