#pragma once

#include <QString>
#include <QStringList>

// The three data files, in the order they are loaded, saved and named in a save journal.
QStringList dataFileNames();

// Paths as a message lists them: each in 「」.
QString quotedList(const QStringList &paths);
