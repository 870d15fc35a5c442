#pragma once

#include <vector>

#include "core/tables.h"

// A note is due for collection confirmation once today is strictly later than its DueDate and it
// is not settled yet; on its due date itself it is not due.
bool isDue(const NoteRecord &note, double today);

// Indices, ascending, of every note due on `today`.
std::vector<int> dueNoteIndices(const Notes &notes, double today);
