#include "core/lookups.h"

namespace {

template <typename Table> std::string_view firstName(const Table &table, std::string_view code)
{
    for (const auto &record : table) {
        if (record.Code.view() == code)
            return record.Name.view();
    }
    return {};
}

} // namespace

std::string_view FindBankName(const Banks &banks, std::string_view code)
{
    return firstName(banks, code);
}

std::string_view FindTorihikiName(const Partners &partners, std::string_view code)
{
    return firstName(partners, code);
}
