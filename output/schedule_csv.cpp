#include "output/schedule_csv.h"

#include <charconv>
#include <cstddef>
#include <cstring>

#include "output/csv_file.h"
#include "store/app_state.h"
#include "store/lookups.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int AmountWidth = 10;

// One line made in a buffer on the stack and appended once: a byte at a time into the file's
// buffer would cost more than writing the file.
class LineWriter
{
public:
    // Every field quoted with every byte doubled, plus the fixed parts: a bound on a line.
    static constexpr std::size_t Room = 64
        + 2
            * (1 + decltype(NoteRecord::PartnerCode)::capacity
                + decltype(PartnerRecord::Name)::capacity
                + decltype(NoteRecord::NoteNumber)::capacity + 4)
        + 32;

    void put(char c) { *at_++ = c; }
    void put(std::string_view bytes)
    {
        std::memcpy(at_, bytes.data(), bytes.size());
        at_ += bytes.size();
    }
    // Comma, quote, CR and LF are single bytes that code page 932 never uses inside a
    // double-byte character, so stored bytes can be searched for them as they are.
    void field(std::string_view bytes, std::string_view prefix = {})
    {
        if (!needsQuotes(prefix) && !needsQuotes(bytes)) {
            put(prefix);
            put(bytes);
            return;
        }
        put('"');
        for (std::string_view part : { prefix, bytes })
            for (char c : part) {
                if (c == '"')
                    put('"');
                put(c);
            }
        put('"');
    }
    // "%10.0f": whole units rounded half away from zero, no separators, right-aligned in 10.
    void amount(Money value)
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
            put(' ');
        if (sign)
            put('-');
        put(std::string_view(digits, static_cast<std::size_t>(count)));
    }
    void appendTo(QByteArray &out) const { out.append(room_, static_cast<qsizetype>(at_ - room_)); }

private:
    static bool needsQuotes(std::string_view bytes)
    {
        for (char c : bytes)
            if (c == ',' || c == '"' || c == '\r' || c == '\n')
                return true;
        return false;
    }

    char room_[Room];
    char *at_ = room_;
};

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
    // Names come from records whose rooms bound them; a longer one is cut to the room, as is a
    // date longer than any the texts give.
    partnerName = partnerName.substr(0, decltype(PartnerRecord::Name)::capacity);
    date = date.substr(0, 32);
    const QByteArray &mark = yen();
    LineWriter line;
    line.put(date);
    line.put(',');
    line.field(note.PartnerCode.view(), "'");
    line.put(',');
    line.field(partnerName);
    line.put(',');
    line.field(note.NoteNumber.view());
    line.put(',');
    line.amount(note.Amount);
    line.put(std::string_view(mark.constData(), static_cast<std::size_t>(mark.size())));
    line.put("\r\n");
    line.appendTo(out);
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
        // The notes lie scattered over a table far larger than any cache; asking for the ones a
        // few lines ahead hides the wait for memory behind the work on this one.
        constexpr std::size_t Ahead = 32;
        for (std::size_t at = 0; at < lines.size(); ++at) {
            if (at + Ahead < lines.size() && !lines[at + Ahead].subtotal()) {
                const char *ahead = reinterpret_cast<const char *>(
                    &state.NoteTable[static_cast<std::size_t>(lines[at + Ahead].note)]);
                __builtin_prefetch(ahead + offsetof(NoteRecord, NoteNumber));
                __builtin_prefetch(ahead + offsetof(NoteRecord, Amount));
            }
            const schedule::Line &line = lines[at];
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
