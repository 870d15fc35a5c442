#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QDate>
#include <QStringList>

#include "core/value_parsers.h"
#include "session/session.h"

// What the input sheet holds for one note, as the user entered it. Codes are the Shift-JIS bytes
// of the chosen partner and bank; texts are as typed.
struct NoteEntry
{
    QByteArray partnerCode;
    QByteArray bankCode;
    QString noteNumber;
    QDate issueDate;
    QDate dueDate;
    Money amount;
    QString remarks;
    int kind = PayableNote;
    bool settled = false;
    QString enteredBy;
};

// Every problem of an entry, in the order they are reported. A text code page 932 cannot hold and
// a date that does not exist (the entry fields refuse both; an import may bring them) are named
// after the others.
// For an edit, loaded is the note as it was loaded: a text left as shown is kept as stored.
struct LoadedNote;
values::Problems entryProblems(
    const NoteEntry &entry, std::uint8_t permissions, const LoadedNote *loaded = nullptr);

// The record of an entry: texts cut to their byte limits on character boundaries, dates as whole
// days.
// Nothing for an entry with a text code page 932 cannot hold or a date that does not exist: such
// a field is never stored empty.
std::optional<NoteRecord> makeNoteRecord(const NoteEntry &entry);

// A stored note loaded for editing, with the texts its fields were shown with.
struct LoadedNote
{
    NoteRecord record;
    QString noteNumber;
    QString remarks;
    QString enteredBy;
};
LoadedNote loadNote(const NoteRecord &record);
// The entry a loaded note is shown with when its editing begins.
NoteEntry entryOf(const LoadedNote &loaded);

// An edit whose note changed under it (approved, re-classified) follows the stored note: each
// field the user has not touched, still showing what was loaded, takes the stored value; what
// the user changed stays.
NoteEntry followStoredNote(
    const NoteEntry &shown, const NoteEntry &loaded, const NoteEntry &stored);

// The record of an edited note. A text the user left as it was shown keeps its stored bytes
// exactly: a stored text that does not decode would otherwise be written back empty.
std::optional<NoteRecord> makeEditedRecord(const NoteEntry &entry, const LoadedNote &loaded);

// Whether notes holds another note with this note's partner code and note number, compared as
// stored; the note being edited (editedIndex, -1 for a new note) does not count.
bool holdsSameNote(const Notes &notes, const NoteRecord &note, int editedIndex = -1);

// The bank proposed for a partner: the first bank whose code equals the partner's bank code;
// position 0 when there is none or no partner.
int proposedBankPosition(const Partners &partners, const Banks &banks, int partnerPosition);

// The payment date proposed for an issue date: the same day one calendar month later, or the
// last day of that month.
QDate proposedDueDate(QDate issueDate);

// How an edit in progress follows the removal of a note from the table.
enum class EditFollow { Unchanged, Moved, Lost };
EditFollow followRemoval(int &editIndex, int removedIndex);
