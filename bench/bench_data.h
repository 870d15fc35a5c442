#pragma once

#include <cstddef>

#include "store/app_state.h"

// A register of the size the program must stay fast with: notes referring to partners and banks
// by code, with Japanese names, deterministic so every run measures the same data.
void fillRegister(AppState &state, std::size_t notes = 1'000'000, std::size_t partners = 10'000,
    std::size_t banks = 1'000);

// Resident set peak of this process in bytes (VmHWM).
std::size_t peakResidentBytes();
