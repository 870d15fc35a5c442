#include "store/note_changes.h"

#include <algorithm>

namespace {

bool inTable(const AppState &state, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < state.NoteTable.size();
}

template <typename Change> bool changeNote(AppState &state, int index, Change change)
{
    if (!inTable(state, index))
        return false;
    change(state.NoteTable[static_cast<std::size_t>(index)]);
    state.Modified = true;
    return true;
}

} // namespace

namespace notechanges {

void append(AppState &state, const NoteRecord &note)
{
    state.NoteTable.push_back(note);
    state.Modified = true;
}

bool replace(AppState &state, int index, const NoteRecord &note)
{
    return changeNote(state, index, [&](NoteRecord &n) { n = note; });
}

bool remove(AppState &state, int index)
{
    if (!inTable(state, index))
        return false;
    state.NoteTable.erase(state.NoteTable.begin() + index);
    state.Modified = true;
    return true;
}

bool reclassify(AppState &state, int index, NoteKind kind)
{
    return changeNote(state, index, [&](NoteRecord &n) { n.Kind = kind; });
}

bool settle(AppState &state, int index)
{
    return changeNote(state, index, [](NoteRecord &n) { n.Settled = 1; });
}

int applyApprovals(
    AppState &state, const std::vector<int> &indices, const std::vector<std::uint8_t> &choices)
{
    int changed = 0;
    const std::size_t count = std::min(indices.size(), choices.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (!inTable(state, indices[i]))
            continue;
        std::uint8_t &settled = state.NoteTable[static_cast<std::size_t>(indices[i])].Settled;
        const std::uint8_t wanted = choices[i] != 0 ? 1 : 0;
        if (settled != wanted) {
            settled = wanted;
            ++changed;
        }
    }
    if (changed > 0)
        state.Modified = true;
    return changed;
}

} // namespace notechanges
