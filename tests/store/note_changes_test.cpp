#include <gtest/gtest.h>

#include "store/note_changes.h"

namespace {

AppState registerOf(int notes)
{
    AppState state;
    state.NoteTable.resize(static_cast<std::size_t>(notes));
    for (int i = 0; i < notes; ++i) {
        state.NoteTable[static_cast<std::size_t>(i)].Amount = Money::fromStored(i);
        state.NoteTable[static_cast<std::size_t>(i)].Kind = ReceivableNote;
    }
    return state;
}

std::vector<std::int64_t> amounts(const AppState &state)
{
    std::vector<std::int64_t> out;
    for (const NoteRecord &n : state.NoteTable)
        out.push_back(n.Amount.stored());
    return out;
}

} // namespace

TEST(NoteChanges, EachChangeMarksTheRegisterChanged)
{
    AppState state = registerOf(4);
    NoteRecord added;
    added.Amount = Money::fromStored(9);
    notechanges::append(state, added);
    EXPECT_TRUE(state.Modified);
    EXPECT_EQ(amounts(state), (std::vector<std::int64_t> { 0, 1, 2, 3, 9 }));

    const auto changed = [&](auto change) {
        state.Modified = false;
        const bool done = change();
        return done && state.Modified;
    };
    EXPECT_TRUE(changed([&] { return notechanges::replace(state, 4, NoteRecord {}); }));
    EXPECT_EQ(state.NoteTable[4].Amount, Money());
    EXPECT_TRUE(changed([&] { return notechanges::reclassify(state, 1, DiscountedNote); }));
    EXPECT_EQ(state.NoteTable[1].Kind, DiscountedNote);
    EXPECT_TRUE(changed([&] { return notechanges::settle(state, 2); }));
    EXPECT_EQ(state.NoteTable[2].Settled, 1);
    EXPECT_TRUE(changed([&] { return notechanges::remove(state, 2); }));
    EXPECT_EQ(amounts(state), (std::vector<std::int64_t> { 0, 1, 3, 0 }))
        << "later notes move up one place in order";
}

TEST(NoteChanges, AnIndexOutsideTheTableChangesNothing)
{
    AppState state = registerOf(3);
    for (int index : { -1, 3, 1000 }) {
        EXPECT_FALSE(notechanges::replace(state, index, NoteRecord {}));
        EXPECT_FALSE(notechanges::remove(state, index));
        EXPECT_FALSE(notechanges::reclassify(state, index, EndorsedNote));
        EXPECT_FALSE(notechanges::settle(state, index));
    }
    EXPECT_FALSE(state.Modified);
    EXPECT_EQ(amounts(state), (std::vector<std::int64_t> { 0, 1, 2 }));
    for (const NoteRecord &n : state.NoteTable) {
        EXPECT_EQ(n.Kind, ReceivableNote);
        EXPECT_EQ(n.Settled, 0);
    }
}

TEST(NoteChanges, ApprovalsMarkTheRegisterChangedOnlyWhenANoteChanges)
{
    AppState state = registerOf(4);
    state.NoteTable[3].Settled = 1;
    EXPECT_EQ(notechanges::applyApprovals(state, { 0, 2, 3 }, { 0, 0, 1 }), 0);
    EXPECT_FALSE(state.Modified) << "choices that change nothing leave nothing to save";

    EXPECT_EQ(notechanges::applyApprovals(state, { 0, 2, 3, 99 }, { 1, 0, 0, 1 }), 2);
    EXPECT_TRUE(state.Modified);
    EXPECT_EQ(state.NoteTable[0].Settled, 1);
    EXPECT_EQ(state.NoteTable[1].Settled, 0) << "a note not listed is not touched";
    EXPECT_EQ(state.NoteTable[2].Settled, 0);
    EXPECT_EQ(state.NoteTable[3].Settled, 0);
}
