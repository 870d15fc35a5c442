#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/tables.h"

// The Name of the first record, in table order, whose Code equals code exactly (same length, same
// bytes); empty when none does. Reports and selections use these first-match lookups.
std::string_view FindBankName(const Banks &banks, std::string_view code);
std::string_view FindTorihikiName(const Partners &partners, std::string_view code);

// Code to record positions over the partner or bank register, for lookups by the thousand: the
// table is read once into a flat hash (open addressing, no node per entry, so a lookup is one or
// two cache lines). Each code keeps the first and the last record in table order bearing it, so
// that every caller keeps its own rule: reports and selections take the first match, screens the
// last. Codes match exactly (same length, same bytes); they hold at most 8 bytes, so a code and
// its length make one small key that hashes and compares in a step.
template <typename Record> class CodeIndex
{
public:
    CodeIndex() = default;
    explicit CodeIndex(const std::vector<Record> &table) { rebuild(table); }

    void rebuild(const std::vector<Record> &table)
    {
        table_ = &table;
        size_ = table.size();
        std::size_t room = 16;
        shift_ = 60;
        while (room < table.size() * 2) {
            room *= 2;
            --shift_;
        }
        slots_.assign(room, Slot {});
        mask_ = room - 1;
        for (std::size_t i = 0; i < table.size(); ++i) {
            const Key key = keyOf(table[i].Code.view());
            Slot &slot = slots_[probe(key)];
            if (slot.first < 0) {
                slot.key = key;
                slot.first = static_cast<std::int32_t>(i);
            }
            slot.last = static_cast<std::int32_t>(i);
        }
    }

    // How many records the index was built from.
    std::size_t size() const { return size_; }

    // The position of the first or the last record bearing code; -1 when none does.
    std::int32_t first(std::string_view code) const { return slotOf(code).first; }
    std::int32_t last(std::string_view code) const { return slotOf(code).last; }

    // The Name at a position of the table the index was built from, which must not have changed
    // since; empty for -1.
    std::string_view nameAt(std::int32_t at) const
    {
        return at < 0 ? std::string_view() : (*table_)[static_cast<std::size_t>(at)].Name.view();
    }
    std::string_view firstName(std::string_view code) const { return nameAt(first(code)); }
    std::string_view lastName(std::string_view code) const { return nameAt(last(code)); }

private:
    static constexpr std::size_t MaxCode = decltype(Record::Code)::capacity;
    static_assert(MaxCode <= 8);

    struct Key
    {
        std::uint64_t bytes = 0;
        std::uint64_t length = 0;
        bool operator==(const Key &) const = default;
    };
    struct Slot
    {
        Key key;
        std::int32_t first = -1; // -1: an empty place
        std::int32_t last = -1;
    };

    // code holds at most MaxCode bytes: a loop of known length, where a copy of any length
    // would be a call.
    static Key keyOf(std::string_view code)
    {
        Key key;
        key.length = code.size();
        for (std::size_t i = 0; i < MaxCode; ++i)
            if (i < code.size())
                key.bytes |= std::uint64_t(static_cast<unsigned char>(code[i])) << (8 * i);
        return key;
    }
    const Slot &slotOf(std::string_view code) const
    {
        static const Slot none;
        if (code.size() > MaxCode || slots_.empty())
            return none;
        return slots_[probe(keyOf(code))];
    }
    // The place of the slot holding key, or of the empty slot where it would go.
    std::size_t probe(const Key &key) const
    {
        // Fibonacci hashing: the top bits of the product depend on every byte of the code.
        const std::uint64_t h = (key.bytes + key.length) * 0x9E3779B97F4A7C15ull;
        for (std::size_t at = static_cast<std::size_t>(h >> shift_);; at = (at + 1) & mask_) {
            const Slot &slot = slots_[at];
            if (slot.first < 0 || slot.key == key)
                return at;
        }
    }

    const std::vector<Record> *table_ = nullptr;
    std::size_t size_ = 0;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    int shift_ = 60;
};
