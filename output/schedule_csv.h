#pragma once

#include <vector>

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
