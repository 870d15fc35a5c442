#pragma once

#include <string_view>
#include <vector>

#include <QByteArray>
#include <QString>

#include "output/schedule_rows.h"
#include "store/file_system.h"

struct Session;
class Progress;

// Writes a schedule's CSV file to path: the title and the period, the header line, then the
// lines in their order, names by their first-match lookups. false with the message (file and
// reason, in Japanese) in error when it could not be written whole; the old file then stays.
bool CSV3(const QString &path, const Session &state, const std::vector<schedule::Line> &lines,
    const QString &title, const QString &period, QString *error, Progress *progress = nullptr,
    FileSystem &fs = systemFileSystem());

// A note's CSV line (CR LF included) made from its texts.
QByteArray scheduleCsvNoteLine(const NoteRecord &note, double day, std::string_view partnerName);

// The same bytes appended straight from the stored code page 932 texts; date is the line's date
// field as it is written ("26年06月05日" in code page 932), the same for every note of a day.
void appendScheduleCsvNoteLine(
    QByteArray &out, const NoteRecord &note, std::string_view date, std::string_view partnerName);
