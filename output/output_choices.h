#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <QDate>
#include <QString>

#include "session/session.h"

// The output sheet's ten choices, by the position of their radio button.
namespace outputchoice {
inline constexpr int PayableJournal = 0; // 0 to 4: the journals, one note kind each
inline constexpr int ChequeJournal = 4;
inline constexpr int PaymentSchedule = 5;
inline constexpr int CollectionSchedule = 6;
inline constexpr int DataSheetRows = 7;
inline constexpr int PartnerList = 8;
inline constexpr int BankList = 9;
inline constexpr int Count = 10;

inline constexpr bool isJournal(int choice)
{
    return choice >= PayableJournal && choice <= ChequeJournal;
}
} // namespace outputchoice

// What the output sheet hands a report: the sorted notes, the rows to print and the header texts.
struct ReportState
{
    // All notes handed over, in issue-date order (see setArr).
    std::vector<std::int32_t> SourceOrder;
    // One entry per detail row of the report being produced: note indices for the note list.
    std::vector<std::int32_t> ReportRows;
    QString JournalTitle;
    QString PeriodCaption;

    // SourceOrder := indices ordered by IssueDate, PartnerCode (byte by byte, the shorter of two
    // equal beginnings first) and Amount. A stable sort: equal notes keep the order given.
    void setArr(const Notes &notes, const std::vector<int> &indices);
};

// The report title of a choice: the five journals, the two schedules, the data sheet's rows;
// empty for the two lists, whose titles are their own.
QString choiceTitle(int choice);

// The notes of SourceOrder of one kind issued from startDay to endDay, both days included, in
// SourceOrder's order. Nothing when the start lies after the end.
std::vector<std::int32_t> journalRows(const Notes &notes,
    const std::vector<std::int32_t> &sourceOrder, int kind, double startDay, double endDay);

// "2001/06/01　～　2001/06/30": start and end in the short date format around a full-width
// space, a wave dash and a full-width space.
QString periodCaption(QDate start, QDate end);
// "2001年06月30日現在", the as-of date of the lists.
QString asOfCaption(QDate day);

// The pickers as the sheet opens: the end is today, the start the same day a month earlier,
// clamped to the end of a shorter month (31 March gives the end of February).
std::pair<QDate, QDate> openingPeriod(QDate today);
