#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Code-to-name lookup over the partner or bank register, rebuilt at every refresh of a screen
// grid. Screens show the last record in table order that bears a code; codes match byte for
// byte, so a code with a trailing blank finds nothing.
template <typename Record> class NameIndex
{
public:
    void rebuild(const std::vector<Record> &table)
    {
        positions_.clear();
        positions_.reserve(table.size());
        for (std::size_t i = 0; i < table.size(); ++i)
            positions_.insert_or_assign(
                std::string(table[i].Code.view()), static_cast<std::int32_t>(i));
        builtSize_ = table.size();
    }

    // Empty when no record bears the code.
    std::string_view find(const std::vector<Record> &table, std::string_view code) const
    {
        // A register changed behind an open dialog may repaint the grid before the refresh
        // that follows every change; the index then only hints, and a scan gives the answer.
        if (table.size() != builtSize_)
            return scanLast(table, code);
        const auto it = positions_.find(code);
        if (it == positions_.end())
            return {};
        const Record &hit = table[static_cast<std::size_t>(it->second)];
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

    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const
        {
            return std::hash<std::string_view> {}(s);
        }
    };

    std::unordered_map<std::string, std::int32_t, Hash, std::equal_to<>> positions_;
    std::size_t builtSize_ = 0;
};
