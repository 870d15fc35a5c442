#pragma once

#include <vector>

#include "core/records.h"

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

enum class DataTable { PartnerTable, NoteTable, BankTable };

// Calls visit with the table named, so code that walks the three tables is written once.
template <typename AnyTables, typename Visit>
decltype(auto) withTable(AnyTables &tables, DataTable which, Visit &&visit)
{
    switch (which) {
    case DataTable::PartnerTable:
        return visit(tables.partners);
    case DataTable::NoteTable:
        return visit(tables.notes);
    case DataTable::BankTable:
        break;
    }
    return visit(tables.banks);
}
