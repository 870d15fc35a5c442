#pragma once

#include <cstdint>
#include <vector>

#include <QString>

#include "store/app_state.h"
#include "store/file_system.h"

// Writes the note list's CSV file to path: the title alone, the header line, then one line per
// note of rows in their order, names by their first-match lookups. false with the message (file
// and reason, in Japanese) in error when it could not be written whole; the old file then stays.
bool CSV1(const QString &path, const AppState &state, const std::vector<std::int32_t> &rows,
    const QString &title, QString *error, FileSystem &fs = systemFileSystem());
