#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/app_state.h"

// The Name of the first record, in table order, whose Code equals code exactly (same length, same
// bytes); empty when none does. Reports and selections use these first-match lookups.
std::string_view FindBankName(const Banks &banks, std::string_view code);
std::string_view FindTorihikiName(const Partners &partners, std::string_view code);

// The same first-match answers for a pass over many notes: the table is read once into a hash,
// the first record bearing a code winning.
template <typename Record> class FirstNameIndex
{
public:
    explicit FirstNameIndex(const std::vector<Record> &table)
    {
        names_.reserve(table.size());
        for (const Record &r : table)
            names_.try_emplace(r.Code.view(), r.Name.view());
    }
    // nullptr when no record bears the code.
    const std::string_view *find(std::string_view code) const
    {
        const auto it = names_.find(code);
        return it == names_.end() ? nullptr : &it->second;
    }
    // Empty when no record bears the code.
    std::string_view name(std::string_view code) const
    {
        const std::string_view *found = find(code);
        return found ? *found : std::string_view();
    }

private:
    std::unordered_map<std::string_view, std::string_view> names_;
};
