#pragma once

#include <string_view>
#include <vector>

#include "core/lookups.h"

// Code-to-name lookup over the partner or bank register, rebuilt at every refresh of a screen
// grid. Screens show the last record in table order that bears a code; codes match byte for
// byte, so a code with a trailing blank finds nothing.
template <typename Record> class NameIndex
{
public:
    void rebuild(const std::vector<Record> &table) { index_.rebuild(table); }

    // Empty when no record bears the code.
    std::string_view find(const std::vector<Record> &table, std::string_view code) const
    {
        // A register changed behind an open dialog may repaint the grid before the refresh
        // that follows every change; the index then only hints, and a scan gives the answer.
        if (table.size() != index_.size())
            return scanLast(table, code);
        const std::int32_t at = index_.last(code);
        if (at < 0)
            return {};
        const Record &hit = table[static_cast<std::size_t>(at)];
        return hit.Code.view() == code ? hit.Name.view() : scanLast(table, code);
    }

private:
    static std::string_view scanLast(const std::vector<Record> &table, std::string_view code)
    {
        for (auto r = table.rbegin(); r != table.rend(); ++r) {
            if (r->Code.view() == code)
                return r->Name.view();
        }
        return {};
    }

    CodeIndex<Record> index_;
};
