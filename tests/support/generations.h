#pragma once

#include <string>

#include "store/app_state.h"

// Two registers that differ in every file, in record counts as in content, so a load can tell
// which save each file came from.
namespace generations {

inline constexpr int NoteCount = 10000;

inline AppState make(int generation)
{
    const std::string mark = "gen" + std::to_string(generation);
    AppState s;
    s.NoteTable.resize(NoteCount + generation);
    for (size_t i = 0; i < s.NoteTable.size(); ++i) {
        NoteRecord &n = s.NoteTable[i];
        n.NoteNumber.assign(std::to_string(i));
        n.Remarks.assign(mark);
        n.IssueDate = 45000 + static_cast<double>(i);
        n.DueDate = 45030 + static_cast<double>(i % 90);
    }
    s.PartnerTable.resize(40 + generation);
    for (PartnerRecord &p : s.PartnerTable)
        p.Name.assign(mark);
    s.BankTable.resize(20 + generation);
    for (BankRecord &b : s.BankTable)
        b.Name.assign(mark);
    return s;
}

// The generation every record of every table belongs to; -1 for empty tables (nothing saved
// yet), -2 for a mix or anything else.
inline int of(const AppState &s)
{
    if (s.NoteTable.empty() && s.PartnerTable.empty() && s.BankTable.empty())
        return -1;
    for (int g : { 0, 1 }) {
        const std::string mark = "gen" + std::to_string(g);
        bool all = s.NoteTable.size() == size_t(NoteCount + g)
            && s.PartnerTable.size() == size_t(40 + g) && s.BankTable.size() == size_t(20 + g);
        for (size_t i = 0; all && i < s.NoteTable.size(); ++i)
            all = s.NoteTable[i].Remarks.view() == mark
                && s.NoteTable[i].IssueDate == 45000 + static_cast<double>(i);
        for (const PartnerRecord &p : s.PartnerTable)
            all = all && p.Name.view() == mark;
        for (const BankRecord &b : s.BankTable)
            all = all && b.Name.view() == mark;
        if (all)
            return g;
    }
    return -2;
}

} // namespace generations
