#include "output/schedule_csv.h"

#include <charconv>
#include <cstring>

#include "output/csv_file.h"
#include "store/app_state.h"
#include "store/lookups.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int AmountWidth = 10;

// Comma, quote, CR and LF are single bytes that code page 932 never uses inside a double-byte
// character, so stored bytes can be searched for them as they are.
bool needsQuotes(std::string_view bytes)
{
    for (char c : bytes)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

void appendField(QByteArray &out, std::string_view bytes, std::string_view prefix = {})
{
    if (!needsQuotes(prefix) && !needsQuotes(bytes)) {
        out.append(prefix.data(), static_cast<qsizetype>(prefix.size()));
        out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
        return;
    }
    out.append('"');
    for (std::string_view part : { prefix, bytes })
        for (char c : part) {
            if (c == '"')
                out.append('"');
            out.append(c);
        }
    out.append('"');
}

// "%10.0f": whole units rounded half away from zero, no separators, right-aligned in 10.
void appendAmount(QByteArray &out, Money value)
{
    const std::int64_t stored = value.stored();
    const bool negative = stored < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(stored) : static_cast<std::uint64_t>(stored);
    const auto scale = static_cast<std::uint64_t>(Money::Scale);
    const std::uint64_t units = magnitude / scale + (magnitude % scale >= scale / 2 ? 1 : 0);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, units).ptr;
    const auto count = static_cast<int>(end - digits);
    const bool sign = negative && units != 0;
    for (int i = count + (sign ? 1 : 0); i < AmountWidth; ++i)
        out.append(' ');
    if (sign)
        out.append('-');
    out.append(digits, count);
}

const QByteArray &yen()
{
    static const QByteArray bytes = sjis::encode(u"円"_s);
    return bytes;
}

} // namespace

QByteArray scheduleCsvNoteLine(const NoteRecord &note, double day, std::string_view partnerName)
{
    return csv::line(schedule::csvNoteFields(note, day, partnerName));
}

void appendScheduleCsvNoteLine(
    QByteArray &out, const NoteRecord &note, std::string_view date, std::string_view partnerName)
{
    // Names come from records whose rooms bound them; a longer one is cut to the room.
    partnerName = partnerName.substr(0, decltype(PartnerRecord::Name)::capacity);
    out.append(date.data(), static_cast<qsizetype>(date.size()));
    out.append(',');
    appendField(out, note.PartnerCode.view(), "'");
    out.append(',');
    appendField(out, partnerName);
    out.append(',');
    appendField(out, note.NoteNumber.view());
    out.append(',');
    appendAmount(out, note.Amount);
    out.append(yen());
    out.append("\r\n", 2);
}

bool CSV3(const QString &path, const AppState &state, const std::vector<schedule::Line> &lines,
    const QString &title, const QString &period, QString *error, FileSystem &fs)
{
    csv::File file(path, fs);
    if (file.open()) {
        file.add(schedule::csvTitleFields(title, period));
        file.add(schedule::csvHeaderFields());
        const FirstNameIndex<PartnerRecord> partners(state.PartnerTable);
        QByteArray date;
        double dateOf = 0;
        for (const schedule::Line &line : lines) {
            if (line.subtotal()) {
                file.add(schedule::csvSubtotalFields(line));
                continue;
            }
            if (date.isEmpty() || dateOf != line.day) {
                date = sjis::encode(schedule::csvDate(line.day));
                dateOf = line.day;
            }
            const NoteRecord &note = state.NoteTable[static_cast<std::size_t>(line.note)];
            appendScheduleCsvNoteLine(file.buffer(), note,
                std::string_view(date.constData(), static_cast<std::size_t>(date.size())),
                partners.name(note.PartnerCode.view()));
            file.lineAdded();
        }
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorMessage();
    return false;
}
