#pragma once

#include <string_view>

#include "store/app_state.h"

// The Name of the first record, in table order, whose Code equals code exactly (same length, same
// bytes); empty when none does. Reports and selections use these first-match lookups.
std::string_view FindBankName(const Banks &banks, std::string_view code);
std::string_view FindTorihikiName(const Partners &partners, std::string_view code);
