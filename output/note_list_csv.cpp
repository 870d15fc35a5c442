#include "output/note_list_csv.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>

#include "output/csv_file.h"
#include "output/note_list_rows.h"
#include "store/day_date.h"
#include "store/lookups.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int AmountWidth = 10;

// Writes one line into a fixed buffer; the stored fields are short enough that a line, every
// byte quoted, always fits.
class LineWriter
{
public:
    explicit LineWriter(char *at)
        : start_(at)
        , at_(at)
    {
    }
    std::size_t size() const { return static_cast<std::size_t>(at_ - start_); }
    void put(char c) { *at_++ = c; }
    void put(std::string_view bytes)
    {
        std::memcpy(at_, bytes.data(), bytes.size());
        at_ += bytes.size();
    }

    // Comma, quote, CR and LF are single bytes that code page 932 never uses inside a
    // double-byte character, so the stored bytes can be searched for them as they are.
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

    // "mm/dd", as the row texts give it: nothing for a day no calendar date stands for.
    void monthDay(double dayNumber)
    {
        if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 3.0e6)
            return;
        const std::chrono::year_month_day ymd { DayZero
            + std::chrono::days { static_cast<int>(daydate::wholeDay(dayNumber)) } };
        if (static_cast<int>(ymd.year()) == 0) // no such year in the calendar of the texts
            return;
        const auto month = static_cast<unsigned>(ymd.month());
        const auto day = static_cast<unsigned>(ymd.day());
        put(char('0' + month / 10));
        put(char('0' + month % 10));
        put('/');
        put(char('0' + day / 10));
        put(char('0' + day % 10));
    }

    // "%10.0n" without its separators: whole units rounded half away from zero, and as many
    // leading blanks as the grouped text would have had.
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
        const int grouped = count + (count - 1) / 3 + (sign ? 1 : 0);
        for (int i = grouped; i < AmountWidth; ++i)
            put(' ');
        if (sign)
            put('-');
        put(std::string_view(digits, static_cast<std::size_t>(count)));
    }

private:
    static bool needsQuotes(std::string_view bytes)
    {
        for (char c : bytes)
            if (c == ',' || c == '"' || c == '\r' || c == '\n')
                return true;
        return false;
    }

    static constexpr std::chrono::sys_days DayZero =
        std::chrono::sys_days { std::chrono::year { 1899 } / 12 / 30 };
    char *start_;
    char *at_;
};

// Every field quoted with every byte doubled, plus the fixed parts: a bound on a line's length.
constexpr std::size_t LineRoom = 2 * (1 + 5 + 40 + 10 + 8 + 64 + 40) + 20 + 64;

} // namespace

QByteArray noteListCsvLine(
    const NoteRecord &note, std::string_view partnerName, std::string_view bankName)
{
    return csv::line(noteListCsvFields(noteListTexts(note, partnerName, bankName)));
}

void appendNoteListCsvLine(QByteArray &out, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName)
{
    static const QByteArray settled = sjis::encode(u"〇"_s);
    static const QByteArray open = sjis::encode(u"×"_s);
    // Names come from records whose rooms bound them; a longer one is cut to the room.
    partnerName = partnerName.substr(0, decltype(PartnerRecord::Name)::capacity);
    bankName = bankName.substr(0, decltype(BankRecord::Name)::capacity);
    char room[LineRoom];
    LineWriter line(room);
    line.field(note.PartnerCode.view(), "'");
    line.put(',');
    line.field(partnerName);
    line.put(',');
    line.field(note.NoteNumber.view());
    line.put(',');
    line.field(note.BankCode.view());
    line.put(',');
    line.field(bankName);
    line.put(',');
    line.monthDay(note.IssueDate);
    line.put(',');
    line.monthDay(note.DueDate);
    line.put(',');
    line.amount(note.Amount);
    line.put(',');
    const QByteArray &mark = note.Settled != 0 ? settled : open;
    line.put(std::string_view(mark.constData(), static_cast<std::size_t>(mark.size())));
    line.put(',');
    line.field(note.Remarks.view());
    line.put("\r\n");
    out.append(room, static_cast<qsizetype>(line.size()));
}

bool CSV1(const QString &path, const AppState &state, const std::vector<std::int32_t> &rows,
    const QString &title, QString *error, FileSystem &fs)
{
    csv::File file(path, fs);
    if (file.open()) {
        file.add({ title });
        file.add(noteListCsvHeader().split(u','));
        const FirstNameIndex<PartnerRecord> partners(state.PartnerTable);
        const FirstNameIndex<BankRecord> banks(state.BankTable);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const NoteRecord &note = state.NoteTable[static_cast<std::size_t>(rows[r])];
            appendNoteListCsvLine(file.buffer(), note, partners.name(note.PartnerCode.view()),
                banks.name(note.BankCode.view()));
            file.lineAdded();
        }
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorMessage();
    return false;
}
