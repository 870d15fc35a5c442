#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/lookups.h"
#include "core/note_rules.h"

namespace {

PartnerRecord partner(const char *code, const char *name)
{
    PartnerRecord p;
    p.Code.assign(code);
    p.Name.assign(name);
    return p;
}

} // namespace

TEST(Lookups, CodesMatchExactlyAndTheFirstWins)
{
    const Partners partners = { partner("001 ", "blank"), partner("1", "short"),
        partner("001", "first"), partner("001", "second"), partner("", "empty") };
    EXPECT_EQ(FindTorihikiName(partners, "001"), "first");
    EXPECT_EQ(FindTorihikiName(partners, "001 "), "blank");
    EXPECT_EQ(FindTorihikiName(partners, "01"), "");
    EXPECT_EQ(FindTorihikiName(partners, ""), "empty");
    EXPECT_EQ(FindTorihikiName({}, "001"), "");

    Banks banks(2);
    banks[0].Code.assign("B1");
    banks[0].Name.assign("one");
    banks[1].Code.assign("b1");
    banks[1].Name.assign("lower");
    EXPECT_EQ(FindBankName(banks, "b1"), "lower");
}

TEST(NoteRules, DueOnlyAfterTheDueDateAndWhileUnsettled)
{
    NoteRecord n;
    n.DueDate = 45000;
    EXPECT_TRUE(isDue(n, 45001));
    EXPECT_FALSE(isDue(n, 45000));
    EXPECT_FALSE(isDue(n, 44999));
    n.Settled = 1;
    EXPECT_FALSE(isDue(n, 45001));

    Notes notes(4);
    notes[0].DueDate = 100;
    notes[1].DueDate = 200;
    notes[2].DueDate = 50;
    notes[2].Settled = 1;
    notes[3].DueDate = 99;
    EXPECT_EQ(dueNoteIndices(notes, 150), (std::vector<int> { 0, 3 }));
}

TEST(Lookups, TheIndexAnswersAsTheScansDoForTheFirstAndTheLastMatch)
{
    // Codes that differ only in length, in a trailing blank or in one late byte, a code borne
    // three times, an empty code, and enough banks to make the hash collide.
    Banks banks;
    const auto bank = [&](std::string_view code, std::string_view name) {
        BankRecord b;
        b.Code.assign(code);
        b.Name.assign(name);
        banks.push_back(b);
    };
    bank("B01", "first");
    bank("B01", "second");
    bank("B01 ", "blank");
    bank("B0", "short");
    bank("", "empty");
    bank(std::string_view("A\0", 2), "nul");
    for (int i = 0; i < 3000; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "Z%d", 1000000 + i);
        bank(code, code + 1);
    }
    bank("B01", "third");
    const auto scanLast = [&](std::string_view code) {
        for (auto b = banks.rbegin(); b != banks.rend(); ++b)
            if (b->Code.view() == code)
                return b->Name.view();
        return std::string_view();
    };
    const CodeIndex<BankRecord> index(banks);
    std::vector<std::string> probes = { "B01", "B01 ", "B0", "", "A", std::string("A\0", 2), "B1",
        "B01B01B0", "Z1000000", "Z1002999", "Z1003000", "123456789" };
    for (const BankRecord &b : banks)
        probes.emplace_back(b.Code.view());
    for (const std::string &code : probes) {
        EXPECT_EQ(index.firstName(code), FindBankName(banks, code)) << code;
        EXPECT_EQ(index.lastName(code), scanLast(code)) << code;
    }
    EXPECT_EQ(index.firstName("B01"), "first");
    EXPECT_EQ(index.lastName("B01"), "third");
    EXPECT_EQ(index.first("B01"), 0);
    EXPECT_EQ(index.last("B01"), 3006);
    EXPECT_EQ(index.first("nobody"), -1);
    EXPECT_EQ(index.last("nobody"), -1);
    EXPECT_EQ(CodeIndex<BankRecord>(Banks {}).first("B01"), -1);
}
