#pragma once

#include <vector>

#include "store/records.h"

using Notes = std::vector<NoteRecord>;
using Partners = std::vector<PartnerRecord>;
using Banks = std::vector<BankRecord>;

// The three tables of a register, in file order.
struct Tables
{
    Notes notes;
    Partners partners;
    Banks banks;
};
