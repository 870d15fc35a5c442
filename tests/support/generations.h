#pragma once

#include <string>

#include "core/tables.h"

// Two registers that differ in every file, in record counts as in content, so a load can tell
// which save each file came from.
namespace generations {

inline constexpr int NoteCount = 10000;

inline Tables make(int generation)
{
    const std::string mark = "gen" + std::to_string(generation);
    Tables s;
    s.notes.resize(NoteCount + generation);
    for (size_t i = 0; i < s.notes.size(); ++i) {
        NoteRecord &n = s.notes[i];
        n.NoteNumber.assign(std::to_string(i));
        n.Remarks.assign(mark);
        n.IssueDate = 45000 + static_cast<double>(i);
        n.DueDate = 45030 + static_cast<double>(i % 90);
    }
    s.partners.resize(40 + generation);
    for (PartnerRecord &p : s.partners)
        p.Name.assign(mark);
    s.banks.resize(20 + generation);
    for (BankRecord &b : s.banks)
        b.Name.assign(mark);
    return s;
}

// The generation every record of every table belongs to; -1 for empty tables (nothing saved
// yet), -2 for a mix or anything else.
inline int of(const Tables &s)
{
    if (s.notes.empty() && s.partners.empty() && s.banks.empty())
        return -1;
    for (int g : { 0, 1 }) {
        const std::string mark = "gen" + std::to_string(g);
        bool all = s.notes.size() == size_t(NoteCount + g) && s.partners.size() == size_t(40 + g)
            && s.banks.size() == size_t(20 + g);
        for (size_t i = 0; all && i < s.notes.size(); ++i)
            all = s.notes[i].Remarks.view() == mark
                && s.notes[i].IssueDate == 45000 + static_cast<double>(i);
        for (const PartnerRecord &p : s.partners)
            all = all && p.Name.view() == mark;
        for (const BankRecord &b : s.banks)
            all = all && b.Name.view() == mark;
        if (all)
            return g;
    }
    return -2;
}

} // namespace generations
