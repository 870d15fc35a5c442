#pragma once

#include <utility>
#include <vector>

#include "core/densai.h"
#include "core/records.h"

using Notes = std::vector<NoteRecord>;
using Partners = std::vector<PartnerRecord>;
using Banks = std::vector<BankRecord>;

// The three tables of a register, in file order.
struct Tables
{
    Tables() = default;
    Tables(Notes n, Partners p = {}, Banks b = {}, densai::NoteExtensions e = {})
        : notes(std::move(n))
        , partners(std::move(p))
        , banks(std::move(b))
        , extensions(std::move(e))
    {
    }

    Notes notes;
    Partners partners;
    Banks banks;
    // What the notes carry beyond their records (でんさい), kept in a side file of its own.
    densai::NoteExtensions extensions;
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
