#pragma once

#include <string_view>

#include <QByteArray>
#include <QString>

#include "session/session.h"

// The texts of one line of the note list (the journals and the list of the data sheet's rows),
// shared by the printed report and its CSV file.
struct NoteListTexts
{
    QString code;
    QString partnerName;
    QString noteNumber;
    QString bankCode;
    QString bankName;
    QString issueDate; // "mm/dd"
    QString dueDate;
    QString amount; // "%10.0n"
    QString confirmation; // "〇" settled, "×" not; the printed column stays empty
    QString remarks;
    // The bank name takes a second printed line beyond 32 bytes.
    bool tallRow = false;
};

// partnerName and bankName are the first-match names of the note's codes, empty when none.
NoteListTexts noteListTexts(
    const NoteRecord &note, std::string_view partnerName, std::string_view bankName);

// A bank name over 32 bytes takes the tall printed row with a second line for the name.
bool noteListTallRow(std::string_view bankName);

// The CSV file's title line is the title alone; then this header line.
QString noteListCsvHeader();
// The ten fields of a note's CSV line: "'" before the code, the amount without separators but
// with its leading blanks, the confirmation mark.
QStringList noteListCsvFields(const NoteListTexts &texts);
