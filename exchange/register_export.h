#pragma once

#include <array>

#include <QDate>
#include <QString>

#include "exchange/import_plan.h"

// 全件書き出し: the three tables, each in a file of the import's layout, into one folder.
namespace exchange {

struct ExportFile
{
    TableKind kind = TableKind::Notes;
    QString name; // "手形_20260607.csv"
    qint64 records = 0;
};
using ExportFiles = std::array<ExportFile, 3>;

// The files the three tables go to when written on day: notes, partners, banks, each with the
// number of records it will hold.
ExportFiles exportFiles(const Tables &tables, const QDate &day);

// Writes the files into folder, their lines counted to progress as one. None replaces its target
// before all three are written whole, so a cancel or a failure while writing leaves none of them
// and the old files as they were. Only the three renames that follow can fail part way (the folder
// refusing one); the reason then names the files already in place. false with the Japanese reason
// in error, empty when the user cancelled.
bool exportRegister(const QString &folder, const ExportFiles &files, const Tables &tables,
    QString *error, Progress *progress, FileSystem &fs);

} // namespace exchange
