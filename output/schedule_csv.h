#pragma once

#include <vector>

#include <QString>

#include "core/tables.h"
#include "output/schedule_rows.h"
#include "store/file_system.h"

class Progress;

// Writes a schedule's CSV file to path: the title and the period, the header line, then the
// lines in their order, names by their first-match lookups. false with the message (file and
// reason, in Japanese) in error when it could not be written whole; the old file then stays.
bool CSV3(const QString &path, const Tables &tables, const std::vector<schedule::Line> &lines,
    const QString &title, const QString &period, QString *error, Progress *progress,
    FileSystem &fs);
