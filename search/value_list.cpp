#include "search/value_list.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_set>

#include <QSet>

#include "core/day_date.h"
#include "core/formats.h"
#include "core/kinds.h"
#include "core/lookups.h"
#include "core/sjis.h"
#include "search/query.h"

using namespace Qt::StringLiterals;

namespace search {

namespace {

    bool isAscii(std::string_view bytes)
    {
        return std::all_of(bytes.begin(), bytes.end(),
            [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    }

    char foldAscii(char c)
    {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }

    // FNV-1a over the bytes with A-Z folded, so ASCII texts equal but for letter case hash alike.
    std::uint32_t foldedHash(std::string_view bytes)
    {
        std::uint64_t h = 14695981039346656037ULL;
        for (char c : bytes)
            h = (h ^ static_cast<unsigned char>(foldAscii(c))) * 1099511628211ULL;
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    // ASCII texts are the same ignoring letter case; others only byte for byte, since a Shift-JIS
    // trail byte may look like a letter.
    bool sameValue(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        if (!isAscii(a))
            return a == b;
        return std::equal(a.begin(), a.end(), b.begin(),
            [](char x, char y) { return foldAscii(x) == foldAscii(y); });
    }

    // Open addressing over the notes that hold each distinct value, with the value's hash beside
    // each; room for every note from the start, so it never grows and no entry is a node.
    class FirstOccurrences
    {
    public:
        explicit FirstOccurrences(std::size_t notes)
        {
            std::size_t room = 16;
            while (room < notes * 2)
                room *= 2;
            slots_.assign(room, Slot {});
            mask_ = room - 1;
        }

        // True when no note before held the value; keyOf gives a kept note's value.
        template <typename KeyOf>
        bool add(std::string_view value, std::uint32_t hash, std::int32_t note, const KeyOf &keyOf)
        {
            for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
                Slot &slot = slots_[at];
                if (slot.note < 0) {
                    slot = { note, hash };
                    return true;
                }
                if (slot.hash == hash && sameValue(value, keyOf(slot.note)))
                    return false;
            }
        }

        // The table is far larger than the caches: a slot asked for a few notes ahead is in
        // the cache by the time it is probed.
        void prefetch(std::uint32_t hash) const { __builtin_prefetch(&slots_[hash & mask_]); }

    private:
        struct Slot
        {
            std::int32_t note = -1;
            std::uint32_t hash = 0;
        };
        std::vector<Slot> slots_;
        std::size_t mask_ = 0;
    };

    // Adds texts in order, each once, letter case ignored; for the short lists of names.
    class DistinctTexts
    {
    public:
        void add(std::string_view bytes)
        {
            if (!seenBytes_.insert(std::string(bytes)).second)
                return;
            const QString text = sjis::decode(bytes);
            const QString folded = text.toCaseFolded();
            if (seenFolded_.contains(folded))
                return;
            seenFolded_.insert(folded);
            list_ << text;
        }
        QStringList take() { return std::move(list_); }

    private:
        std::unordered_set<std::string> seenBytes_;
        QSet<QString> seenFolded_;
        QStringList list_;
    };

    // The names of the partners or banks the notes name, by the first record bearing each code.
    template <typename Record, typename CodeOf>
    QStringList namesOf(const Notes &notes, const std::vector<Record> &table, CodeOf codeOf)
    {
        const CodeIndex<Record> index(table);
        std::vector<char> seen(table.size(), 0);
        DistinctTexts names;
        for (const NoteRecord &n : notes) {
            const std::int32_t at = index.first(codeOf(n));
            if (at < 0 || seen[static_cast<std::size_t>(at)])
                continue;
            seen[static_cast<std::size_t>(at)] = 1;
            names.add(index.nameAt(at));
        }
        return names.take();
    }

    QStringList datesOf(const Notes &notes, int field)
    {
        // Dates have no letter case: distinct day numbers are distinct texts.
        std::unordered_set<double> seen;
        QStringList list;
        for (const NoteRecord &n : notes) {
            const double day = field == IssueDateField ? n.IssueDate : n.DueDate;
            if (seen.insert(std::floor(day)).second)
                list << daydate::formatShort(day);
        }
        return list;
    }

} // namespace

ValueList::ValueList(int field, const Notes &notes, const Partners &partners, const Banks &banks)
    : field_(field)
    , notes_(&notes)
{
    switch (field) {
    case SettledField:
        texts_ = { u"未"_s, u"済"_s };
        return;
    case KindField:
        texts_ = noteKindNames();
        return;
    case IssueDateField:
    case DueDateField:
        texts_ = datesOf(notes, field);
        return;
    case PartnerNameField:
        texts_ = namesOf(notes, partners, [](const NoteRecord &n) { return n.PartnerCode.view(); });
        return;
    case BankNameField:
        texts_ = namesOf(notes, banks, [](const NoteRecord &n) { return n.BankCode.view(); });
        return;
    case AmountField: {
        std::unordered_set<std::int64_t> seen;
        seen.reserve(notes.size());
        for (std::size_t i = 0; i < notes.size(); ++i)
            if (seen.insert(notes[i].Amount.stored()).second)
                firstNotes_.push_back(static_cast<std::int32_t>(i));
        return;
    }
    case NoteNumberField:
    case PartnerCodeField:
    case BankCodeField:
    case RemarksField:
    case EnteredByField:
        break;
    default:
        field_ = -1;
        return;
    }
    FirstOccurrences first(notes.size());
    const auto keyOf = [&](std::int32_t note) {
        return heldText(notes[static_cast<std::size_t>(note)], field);
    };
    // Spellings that are not plain ASCII are compared once more as case-folded text.
    std::unordered_set<std::string> foldedWide;
    constexpr std::size_t Ahead = 8;
    std::array<std::uint32_t, Ahead> hashes {};
    for (std::size_t i = 0; i < std::min(Ahead, notes.size()); ++i)
        hashes[i] = foldedHash(heldText(notes[i], field));
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const std::uint32_t hash = hashes[i % Ahead];
        if (i + Ahead < notes.size()) {
            const std::uint32_t later = foldedHash(heldText(notes[i + Ahead], field));
            first.prefetch(later);
            hashes[i % Ahead] = later;
        }
        const std::string_view value = heldText(notes[i], field);
        if (!first.add(value, hash, static_cast<std::int32_t>(i), keyOf))
            continue;
        if (!isAscii(value)
            && !foldedWide.insert(sjis::decode(value).toCaseFolded().toStdString()).second)
            continue;
        firstNotes_.push_back(static_cast<std::int32_t>(i));
    }
}

int ValueList::size() const
{
    return static_cast<int>(texts_.isEmpty() ? firstNotes_.size() : texts_.size());
}

QString ValueList::text(int row) const
{
    if (row < 0 || row >= size())
        return {};
    if (!texts_.isEmpty())
        return texts_[row];
    const auto at = static_cast<std::size_t>(firstNotes_[static_cast<std::size_t>(row)]);
    if (!notes_ || at >= notes_->size())
        return {};
    const NoteRecord &note = (*notes_)[at];
    return field_ == AmountField ? formats::general(note.Amount)
                                 : sjis::decode(heldText(note, field_));
}

QStringList ValueList::texts() const
{
    QStringList all;
    all.reserve(size());
    for (int row = 0; row < size(); ++row)
        all << text(row);
    return all;
}

QStringList valueList(int field, const Notes &notes, const Partners &partners, const Banks &banks)
{
    return ValueList(field, notes, partners, banks).texts();
}

void ValueListModel::setList(ValueList list)
{
    beginResetModel();
    list_ = std::move(list);
    endResetModel();
}

int ValueListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : list_.size();
}

QVariant ValueListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return list_.text(index.row());
}

} // namespace search
