#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QString>

#include "core/tables.h"
#include "store/file_system.h"

class Progress;

// Writes the note list's CSV file to path: the title alone, the header line, then one line per
// note of rows in their order, names by their first-match lookups. false with the message (file
// and reason, in Japanese) in error when it could not be written whole; the old file then stays.
bool CSV1(const QString &path, const Tables &tables, const std::vector<std::int32_t> &rows,
    const QString &title, QString *error, Progress *progress, FileSystem &fs);

// One note's line of that file (CR LF included) appended to out, its stored texts written as they
// are.
void appendNoteListCsvLine(QByteArray &out, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName);
