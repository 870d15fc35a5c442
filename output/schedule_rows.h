#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>

#include "session/session.h"

// The payment and collection schedules: the unsettled notes of one kind due in a period, day by
// day, each day that has notes closed by a line of its count and amount.
namespace schedule {

// The unsettled notes of kind (0 payable, 1 receivable) of sourceOrder due from startDay to
// endDay, both included, in sourceOrder's order. Due dates count by their whole day, so a stray
// time of day can never leave a note selected but matched to no day.
std::vector<std::int32_t> selection(const Notes &notes,
    const std::vector<std::int32_t> &sourceOrder, int kind, double startDay, double endDay);

// The selection ordered by due day, then partner code (byte by byte, the shorter of two equal
// beginnings first), then issue date. A stable sort: equal notes keep the selection's order.
std::vector<std::int32_t> setArr3(const Notes &notes, const std::vector<std::int32_t> &selected);

// One line of a schedule: a note due on day, or the subtotal closing day.
struct Line
{
    std::int32_t note = -1; // NoteTable index; -1 for the subtotal
    std::int32_t count = 0; // the subtotal's number of notes
    double day = 0;
    Money amount; // the subtotal's sum
    bool subtotal() const { return note < 0; }
};

// The lines of dayCount days from startDay over the selection in setArr3's order: the notes due
// on a day, then its subtotal; a day without notes has no lines. Notes due outside those days are
// never reached.
std::vector<Line> lines(
    const Notes &notes, double startDay, int dayCount, const std::vector<std::int32_t> &sorted);

// "2001/06/01～2001/06/30", the schedules' period: no spaces around the wave dash.
QString periodCaption(QDate start, QDate end);

// The days from start to end, both included; 0 when the start lies after the end.
int dayCount(QDate start, QDate end);

// The printed texts of a note line: date ("26年6月5日"), code, partner name, note number and
// amount ("%10.0n円"). A code no partner bears leaves all but the date empty. partnerName is
// nullptr when no partner bears the code.
QStringList printedNoteTexts(
    const NoteRecord &note, double day, const std::string_view *partnerName);
// A subtotal's printed count ("2件") and amount ("%10.0n円").
QStringList printedSubtotalTexts(const Line &subtotal);

// The CSV file's title line, its header line, and the fields of a note line (date "26年06月05日",
// "'" and the code, name, number, amount "%10.0f円"; the code, number and amount whether or not a
// partner bears the code) and of a subtotal (two empty fields, "2件", "%10.0f円").
// The CSV date of a day: "26年06月05日".
QString csvDate(double day);
QStringList csvTitleFields(const QString &title, const QString &period);
QStringList csvHeaderFields();
QStringList csvNoteFields(const NoteRecord &note, double day, std::string_view partnerName);
QStringList csvSubtotalFields(const Line &subtotal);

} // namespace schedule
