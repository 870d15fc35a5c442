#include "core/note_rules.h"

bool isDue(const NoteRecord &note, double today)
{
    return today > note.DueDate && note.Settled == 0;
}

std::vector<int> dueNoteIndices(const Notes &notes, double today)
{
    std::vector<int> due;
    for (size_t i = 0; i < notes.size(); ++i) {
        if (isDue(notes[i], today))
            due.push_back(static_cast<int>(i));
    }
    return due;
}
