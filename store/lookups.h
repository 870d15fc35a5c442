#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "store/app_state.h"

// The Name of the first record, in table order, whose Code equals code exactly (same length, same
// bytes); empty when none does. Reports and selections use these first-match lookups.
std::string_view FindBankName(const Banks &banks, std::string_view code);
std::string_view FindTorihikiName(const Partners &partners, std::string_view code);

// The same first-match answers for a pass over many notes: the table is read once into a flat
// hash (open addressing, no node per entry, so a lookup is one or two cache lines), the first
// record bearing a code winning. Codes hold at most 8 bytes, so a code and its length make one
// small key that hashes and compares in a step.
template <typename Record> class FirstNameIndex
{
public:
    explicit FirstNameIndex(const std::vector<Record> &table)
    {
        std::size_t room = 16;
        shift_ = 60;
        while (room < table.size() * 2) {
            room *= 2;
            --shift_;
        }
        slots_.resize(room);
        mask_ = room - 1;
        for (const Record &r : table) {
            const Key key = keyOf(r.Code.view());
            Slot &slot = slots_[probe(key)];
            if (!slot.used)
                slot = { key, r.Name.view(), true };
        }
    }
    // nullptr when no record bears the code.
    const std::string_view *find(std::string_view code) const
    {
        if (code.size() > MaxCode)
            return nullptr;
        const Slot &slot = slots_[probe(keyOf(code))];
        return slot.used ? &slot.name : nullptr;
    }
    // Empty when no record bears the code.
    std::string_view name(std::string_view code) const
    {
        const std::string_view *found = find(code);
        return found ? *found : std::string_view();
    }

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
        std::string_view name;
        bool used = false;
    };

    static Key keyOf(std::string_view code)
    {
        Key key;
        key.length = code.size();
        std::memcpy(&key.bytes, code.data(), code.size());
        return key;
    }
    // The place of the slot holding key, or of the empty slot where it would go.
    std::size_t probe(const Key &key) const
    {
        // Fibonacci hashing: the top bits of the product depend on every byte of the code.
        const std::uint64_t h = (key.bytes + key.length) * 0x9E3779B97F4A7C15ull;
        for (std::size_t at = static_cast<std::size_t>(h >> shift_);; at = (at + 1) & mask_) {
            const Slot &slot = slots_[at];
            if (!slot.used || slot.key == key)
                return at;
        }
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    int shift_ = 60;
};
