#include "store/note_extension_file.h"

#include <cstring>
#include <unordered_map>

#include <QtEndian>

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

namespace {

// The file's name in its header, padded with zero bytes.
constexpr char HeaderName[] = "tegata note extensions";
constexpr std::size_t HeaderNameRoom = 24;
static_assert(sizeof(HeaderName) <= HeaderNameRoom);

constexpr std::uint8_t AttachedRecord = 1;

// Offsets of a record's fields.
enum : std::size_t {
    TypeAt = 0,
    MediumAt = 1,
    GuaranteeAt = 2,
    PositionAt = 4,
    FingerprintAt = 8,
    NumberAt = 16,
    ParentAt = 36,
    DueDateAt = 56,
    AmountAt = 64,
    NoteNumberAt = 72, // ShortText<10>: 11 bytes
    PartnerCodeAt = 83, // ShortText<5>: 6 bytes
    TransfereeAt = 89, // ShortText<8>: 9 bytes
    UsedBytes = 98, // the rest is zero, room for what later versions add
};

template <typename T> void put(char *at, T value)
{
    qToLittleEndian(value, at);
}

template <typename T> T take(const char *at)
{
    return qFromLittleEndian<T>(at);
}

void putDouble(char *at, double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put(at, bits);
}

double takeDouble(const char *at)
{
    const auto bits = take<std::uint64_t>(at);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

template <std::size_t N> void putText(char *at, const ShortText<N> &text)
{
    std::memcpy(at, &text, sizeof text);
}

// A text whose length byte runs past its room is no text of ours.
template <std::size_t N> bool takeText(const char *at, ShortText<N> &text)
{
    std::memcpy(&text, at, sizeof text);
    return text.length <= N;
}

void putNumber(char *at, const densai::RecordNumber &number)
{
    std::memcpy(at, number.view().data(), number.view().size());
}

// All zero is no number; anything else must be a whole record number.
bool takeNumber(const char *at, densai::RecordNumber &number)
{
    const std::string_view bytes(at, densai::RecordNumberLength);
    if (bytes.find_first_not_of('\0') == std::string_view::npos) {
        number = {};
        return true;
    }
    const auto read = densai::RecordNumber::fromBytes(bytes);
    if (read)
        number = *read;
    return read.has_value();
}

void encode(char *at, const densai::NoteExtension &e, std::uint32_t position,
    std::uint64_t fingerprint, const densai::NoteSummary &summary)
{
    std::memset(at, 0, ExtensionRecordSize);
    at[TypeAt] = static_cast<char>(AttachedRecord);
    at[MediumAt] = static_cast<char>(e.medium);
    at[GuaranteeAt] = e.guarantee ? 1 : 0;
    put(at + PositionAt, position);
    put(at + FingerprintAt, fingerprint);
    putNumber(at + NumberAt, e.number);
    putNumber(at + ParentAt, e.parent);
    putDouble(at + DueDateAt, summary.DueDate);
    put(at + AmountAt, summary.Amount.stored());
    putText(at + NoteNumberAt, summary.NoteNumber);
    putText(at + PartnerCodeAt, summary.PartnerCode);
    putText(at + TransfereeAt, e.transferee);
}

} // namespace

std::uint64_t noteFingerprint(const NoteRecord &note)
{
    return XXH3_64bits(&note, NoteDiskSize);
}

QByteArray extensionFileHeader()
{
    QByteArray header(ExtensionHeaderSize, '\0');
    std::memcpy(header.data(), HeaderName, sizeof HeaderName - 1);
    put(header.data() + HeaderNameRoom, ExtensionFileVersion);
    put(header.data() + HeaderNameRoom + 2, static_cast<std::uint16_t>(ExtensionRecordSize));
    return header;
}

std::size_t extensionRecordCount(const densai::NoteExtensions &extensions)
{
    return extensions.attached().size() + extensions.stray().size();
}

void appendExtensionRecords(QByteArray &out, const Notes &notes,
    const densai::NoteExtensions &extensions, std::size_t first, std::size_t count)
{
    const std::size_t attached = extensions.attached().size();
    const qsizetype start = out.size();
    out.resize(start + static_cast<qsizetype>(count * ExtensionRecordSize));
    char *at = out.data() + start;
    for (std::size_t i = first; i < first + count; ++i, at += ExtensionRecordSize) {
        if (i < attached) {
            const densai::NoteExtension &e = extensions.attached()[i];
            const NoteRecord &note = notes[static_cast<std::size_t>(e.note)];
            encode(at, e, static_cast<std::uint32_t>(e.note), noteFingerprint(note),
                densai::summaryOf(note));
        } else {
            const densai::StrayExtension &s = extensions.stray()[i - attached];
            encode(at, s.extension, s.position, s.fingerprint, s.was);
        }
    }
}

ExtensionHeader readExtensionHeader(const char *bytes)
{
    if (std::memcmp(bytes, HeaderName, sizeof HeaderName - 1) != 0)
        return ExtensionHeader::Unreadable;
    for (std::size_t i = sizeof HeaderName - 1; i < HeaderNameRoom; ++i)
        if (bytes[i] != 0)
            return ExtensionHeader::Unreadable;
    const auto version = take<std::uint16_t>(bytes + HeaderNameRoom);
    const auto size = take<std::uint16_t>(bytes + HeaderNameRoom + 2);
    return version == ExtensionFileVersion && size == ExtensionRecordSize
        ? ExtensionHeader::Readable
        : ExtensionHeader::Unreadable;
}

bool decodeExtensionRecord(const char *bytes, ExtensionRecord &record)
{
    densai::StrayExtension &s = record.stray;
    const auto type = static_cast<std::uint8_t>(bytes[TypeAt]);
    const auto medium = static_cast<std::uint8_t>(bytes[MediumAt]);
    const auto guarantee = static_cast<std::uint8_t>(bytes[GuaranteeAt]);
    if (type != AttachedRecord || medium > 1 || guarantee > 1 || bytes[3] != 0)
        return false;
    s.extension.note = -1;
    s.extension.medium = static_cast<densai::Medium>(medium);
    s.extension.guarantee = guarantee == 1;
    s.position = take<std::uint32_t>(bytes + PositionAt);
    s.fingerprint = take<std::uint64_t>(bytes + FingerprintAt);
    s.was.DueDate = takeDouble(bytes + DueDateAt);
    s.was.Amount = Money::fromStored(take<std::int64_t>(bytes + AmountAt));
    if (!takeNumber(bytes + NumberAt, s.extension.number)
        || !takeNumber(bytes + ParentAt, s.extension.parent)
        || !takeText(bytes + NoteNumberAt, s.was.NoteNumber)
        || !takeText(bytes + PartnerCodeAt, s.was.PartnerCode)
        || !takeText(bytes + TransfereeAt, s.extension.transferee))
        return false;
    for (std::size_t i = UsedBytes; i < ExtensionRecordSize; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

densai::NoteExtensions matchExtensions(const Notes &notes, std::vector<ExtensionRecord> records)
{
    std::vector<bool> claimed(notes.size(), false);
    std::vector<densai::NoteExtension> attached;
    attached.reserve(records.size());
    std::vector<const ExtensionRecord *> elsewhere;
    for (const ExtensionRecord &r : records) {
        const std::uint32_t at = r.stray.position;
        if (at < notes.size() && !claimed[at]
            && noteFingerprint(notes[at]) == r.stray.fingerprint) {
            claimed[at] = true;
            attached.push_back(r.stray.extension);
            attached.back().note = static_cast<std::int32_t>(at);
        } else {
            elsewhere.push_back(&r);
        }
    }
    std::vector<densai::StrayExtension> stray;
    if (!elsewhere.empty()) {
        // Only now is every note fingerprinted: a note file nobody else changed never needs it.
        std::unordered_multimap<std::uint64_t, std::uint32_t> byFingerprint;
        byFingerprint.reserve(notes.size());
        for (std::size_t i = 0; i < notes.size(); ++i)
            if (!claimed[i])
                byFingerprint.emplace(noteFingerprint(notes[i]), static_cast<std::uint32_t>(i));
        for (const ExtensionRecord *r : elsewhere) {
            const auto [begin, end] = byFingerprint.equal_range(r->stray.fingerprint);
            if (begin != end && std::next(begin) == end && !claimed[begin->second]) {
                claimed[begin->second] = true;
                attached.push_back(r->stray.extension);
                attached.back().note = static_cast<std::int32_t>(begin->second);
            } else {
                stray.push_back(r->stray);
            }
        }
    }
    std::sort(attached.begin(), attached.end(),
        [](const densai::NoteExtension &a, const densai::NoteExtension &b) {
            return a.note < b.note;
        });
    densai::NoteExtensions extensions;
    extensions.assign(std::move(attached), std::move(stray));
    return extensions;
}
