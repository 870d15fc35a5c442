#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/money.h"

// Fixed-layout records exactly as they lie in the data files. Text fields are a length byte
// followed by a fixed room of Shift-JIS bytes; bytes behind the length are not significant.

#pragma pack(push, 1)

template <std::size_t Capacity> struct ShortText
{
    std::uint8_t length = 0;
    char room[Capacity] = {};

    static constexpr std::size_t capacity = Capacity;

    // The stored text; a length byte beyond the room (possible on disk for cut fields) is
    // clamped so a reader never runs past the field.
    std::string_view view() const { return { room, length <= Capacity ? length : Capacity }; }
    // Stores at most Capacity bytes; the caller cuts on a character boundary beforehand.
    void assign(std::string_view bytes)
    {
        const std::size_t n = bytes.size() < Capacity ? bytes.size() : Capacity;
        std::memcpy(room, bytes.data(), n);
        length = static_cast<std::uint8_t>(n);
    }
    bool operator==(const ShortText &other) const { return view() == other.view(); }
};

struct NoteRecord
{
    double IssueDate = 0;
    double DueDate = 0;
    ShortText<10> NoteNumber;
    ShortText<5> PartnerCode;
    ShortText<8> BankCode;
    std::uint8_t Settled = 0;
    std::uint8_t Kind = 0;
    Money Amount;
    ShortText<40> Remarks;
    ShortText<40> EnteredBy;
};

struct PartnerRecord
{
    ShortText<5> Code;
    ShortText<40> Name;
    ShortText<8> BankCode;
};

struct BankRecord
{
    ShortText<8> Code;
    ShortText<64> Name;
};

#pragma pack(pop)

// On disk a note keeps only its first 125 bytes and a bank its first 72: the tails of
// EnteredBy and of the bank name are never written and read back as zero.
inline constexpr std::size_t NoteDiskSize = 125;
inline constexpr std::size_t PartnerDiskSize = 56;
inline constexpr std::size_t BankDiskSize = 72;
inline constexpr std::size_t EnteredByDiskText = 31;
inline constexpr std::size_t BankNameDiskText = 62;

static_assert(sizeof(NoteRecord) == 134);
static_assert(offsetof(NoteRecord, IssueDate) == 0);
static_assert(offsetof(NoteRecord, DueDate) == 8);
static_assert(offsetof(NoteRecord, NoteNumber) == 16);
static_assert(offsetof(NoteRecord, PartnerCode) == 27);
static_assert(offsetof(NoteRecord, BankCode) == 33);
static_assert(offsetof(NoteRecord, Settled) == 42);
static_assert(offsetof(NoteRecord, Kind) == 43);
static_assert(offsetof(NoteRecord, Amount) == 44);
static_assert(offsetof(NoteRecord, Remarks) == 52);
static_assert(offsetof(NoteRecord, EnteredBy) == 93);
static_assert(sizeof(PartnerRecord) == 56);
static_assert(offsetof(PartnerRecord, Code) == 0);
static_assert(offsetof(PartnerRecord, Name) == 6);
static_assert(offsetof(PartnerRecord, BankCode) == 47);
static_assert(sizeof(BankRecord) == 74);
static_assert(offsetof(BankRecord, Code) == 0);
static_assert(offsetof(BankRecord, Name) == 9);
static_assert(offsetof(NoteRecord, EnteredBy) + 1 + EnteredByDiskText == NoteDiskSize);
static_assert(offsetof(BankRecord, Name) + 1 + BankNameDiskText == BankDiskSize);

enum NoteKind : std::uint8_t {
    PayableNote = 0,
    ReceivableNote = 1,
    EndorsedNote = 2,
    DiscountedNote = 3,
    Cheque = 4,
};
inline constexpr int NoteKindCount = 5;
