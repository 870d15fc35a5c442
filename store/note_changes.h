#pragma once

#include <cstdint>
#include <vector>

#include "store/app_state.h"

// Every change to the note table goes through here, so that each one marks the register as
// changed in the one way the rules say. A note is named by its index in NoteTable; an index
// outside the table changes nothing and answers false.
namespace notechanges {

// A new note at the end of the table (the input sheet's registration).
void append(AppState &state, const NoteRecord &note);
// An edited note stored over the one it was loaded from.
bool replace(AppState &state, int index, const NoteRecord &note);
// Removes one note; later notes move up one place, keeping their order.
bool remove(AppState &state, int index);
// A received note turned into a discounted or endorsed one.
bool reclassify(AppState &state, int index, NoteKind kind);
// The collection of a note confirmed.
bool settle(AppState &state, int index);
// The approval list's choices: Settled of note indices[i] := choices[i] (0 or 1). Marks the
// register changed only when a note really changed; answers how many did. Indices outside the
// table are passed over.
int applyApprovals(
    AppState &state, const std::vector<int> &indices, const std::vector<std::uint8_t> &choices);

} // namespace notechanges
