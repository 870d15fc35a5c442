#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>

#include "core/densai.h"
#include "core/records.h"
#include "core/tables.h"
#include "store/data_file_names.h"

// The side file of note extensions beside the three data files: what a note carries beyond its
// record (でんさい now, more later). A header with the file's own name and version, then fixed-size
// little-endian records; texts in Shift-JIS (a record number is plain ASCII). Each record names
// its note by position and by a fingerprint of the note's stored bytes, since another program
// may change the note file without knowing of this one.
inline constexpr std::size_t ExtensionHeaderSize = 32;
inline constexpr std::size_t ExtensionRecordSize = 128;
static_assert(DataFiles[3].noteExtensions && DataFiles[3].diskSize == ExtensionRecordSize);
inline constexpr std::uint16_t ExtensionFileVersion = 1;

// The fingerprint a record keeps of its note: XXH3 (64 bits) of the note's 125 stored bytes.
std::uint64_t noteFingerprint(const NoteRecord &note);

// The header, then one record per extension: those attached in note order, then those kept
// aside as they were read.
QByteArray extensionFileHeader();
// Appends the records of extensions (attached ones fingerprinted from notes) to out.
void appendExtensionRecords(QByteArray &out, const Notes &notes,
    const densai::NoteExtensions &extensions, std::size_t first, std::size_t count);
// How many records extensions make.
std::size_t extensionRecordCount(const densai::NoteExtensions &extensions);

// What the header says; Unreadable for another file or a later version.
enum class ExtensionHeader { Readable, Unreadable };
ExtensionHeader readExtensionHeader(const char *bytes);

// One record as read, before it is matched with a note. false for a record holding a value no
// record of ours holds.
struct ExtensionRecord
{
    densai::StrayExtension stray; // position, fingerprint and summary as saved
};
bool decodeExtensionRecord(const char *bytes, ExtensionRecord &record);

// Attaches each record to its note: the note at its position when the fingerprint still matches,
// or else the one other note that matches, if exactly one does and carries nothing yet. The rest
// are kept aside, never attached by guess and never dropped.
densai::NoteExtensions matchExtensions(const Notes &notes, std::vector<ExtensionRecord> records);
