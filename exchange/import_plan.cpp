#include "exchange/import_plan.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include <QSet>

#include "controls/progress.h"
#include "core/day_date.h"
#include "core/formats.h"
#include "core/kinds.h"
#include "core/sjis.h"
#include "exchange/csv_reader.h"
#include "messages/entry_messages.h"
#include "messages/import_messages.h"
#include "output/csv_file.h"
#include "output/csv_line.h"
#include "sheets/note_entry.h"
#include "sheets/registration.h"

using namespace Qt::StringLiterals;

namespace exchange {

namespace {

    enum NoteColumn {
        KindColumn,
        PartnerColumn,
        NumberColumn,
        BankColumn,
        IssueColumn,
        DueColumn,
        AmountColumn,
        ApprovalColumn,
        RemarksColumn,
        EnteredByColumn,
    };
    enum EntryColumn { CodeColumn, NameColumn, EntryBankColumn };

    // Columns a file may leave out: their cells count as empty.
    bool optionalColumn(TableKind kind, int column)
    {
        switch (kind) {
        case TableKind::Notes:
            return column == ApprovalColumn || column == RemarksColumn || column == EnteredByColumn;
        case TableKind::Partners:
            return column == EntryBankColumn;
        case TableKind::Banks:
            return false;
        }
        return false;
    }

    std::string_view view(const QByteArray &bytes)
    {
        return { bytes.constData(), static_cast<std::size_t>(bytes.size()) };
    }

    // Whether an export puts "'" before a text: one a spreadsheet would take for a formula, and
    // one that already begins with "'" before such a text, so that the import takes off exactly
    // the one it added.
    template <typename Text> bool guarded(Text text)
    {
        while (!text.empty() && text.front() == '\'')
            text.remove_prefix(1);
        return csv::looksLikeFormula(text);
    }

    QString withoutFormulaGuard(const QString &cell)
    {
        if (cell.size() < 2 || cell.front() != u'\'')
            return cell;
        const std::u16string_view rest(reinterpret_cast<const char16_t *>(cell.constData()) + 1,
            static_cast<std::size_t>(cell.size() - 1));
        return guarded(rest) ? cell.mid(1) : cell;
    }

    using values::Field;
    using values::Problem;
    using values::Problems;

    // A text's code page 932 bytes within a limit; a problem named after the field otherwise.
    QByteArray fieldBytes(const QString &text, Field field, int limit, Problems &errors)
    {
        bool ok = true;
        const QByteArray bytes = sjis::encode(text, &ok);
        if (!ok) {
            errors.push_back({ Problem::Kind::Unencodable, field });
        } else if (bytes.size() > limit) {
            Problem tooLong { Problem::Kind::TooLong, field };
            tooLong.limit = limit;
            errors.push_back(tooLong);
        }
        return bytes;
    }

    Problem unreadable(Field field, const QString &cell)
    {
        return Problem::ofText(Problem::Kind::Unreadable, field, cell);
    }

    // The codes of a table, for the warnings about codes not registered or registered already.
    template <typename Record>
    std::unordered_set<std::string> codesOf(const std::vector<Record> &table)
    {
        std::unordered_set<std::string> codes;
        for (const Record &r : table)
            codes.emplace(r.Code.view());
        return codes;
    }

    // Registered codes by what is left of them without their leading zeros, to find the code a
    // spreadsheet took for a number and stripped of its zeros (0009 read as 9).
    class PaddedCodes
    {
    public:
        template <typename Record> explicit PaddedCodes(const std::vector<Record> &table)
        {
            for (const Record &r : table) {
                const std::string code(r.Code.view());
                std::vector<std::string> &same = byValue_[stripped(code)];
                if (std::find(same.begin(), same.end(), code) == same.end())
                    same.push_back(code);
            }
        }

        // The one registered code that code, not registered itself, equals once padded with
        // leading zeros to that code's width; empty when none or several do.
        QByteArray resolve(const QByteArray &code) const
        {
            const std::string text(view(code));
            const auto found = byValue_.find(stripped(text));
            if (text.empty() || found == byValue_.end())
                return {};
            QByteArray match;
            for (const std::string &registered : found->second) {
                if (registered == text)
                    return {};
                if (registered.size() <= text.size())
                    continue;
                if (!match.isEmpty())
                    return {};
                match = QByteArray::fromStdString(registered);
            }
            return match;
        }

    private:
        static std::string stripped(std::string_view code)
        {
            const std::size_t first = code.find_first_not_of('0');
            return std::string(first == std::string_view::npos ? "" : code.substr(first));
        }

        std::unordered_map<std::string, std::vector<std::string>> byValue_;
    };

    class Checker
    {
    public:
        Checker(ImportPlan &plan, const Tables &tables, const UserInfo &user)
            : plan_(plan)
            , user_(user)
            , partners_(codesOf(tables.partners))
            , banks_(codesOf(tables.banks))
            , paddedPartners_(tables.partners)
            , paddedBanks_(tables.banks)
        {
            if (plan.kind == TableKind::Notes)
                for (const NoteRecord &n : tables.notes)
                    numbers_.insert(noteKey(n.PartnerCode.view(), n.NoteNumber.view()));
        }

        // Checks a row; the bytes its check and its record hold, counted as the reader counts.
        qint64 check(const QStringList &cells)
        {
            RowCheck row;
            Problems warnings;
            switch (plan_.kind) {
            case TableKind::Notes:
                checkNote(cells, row.problems, warnings);
                break;
            case TableKind::Partners:
            case TableKind::Banks:
                checkEntry(cells, row.problems, warnings);
                break;
            }
            if (!row.problems.empty()) {
                row.level = RowCheck::Level::Error;
                ++plan_.errors;
            } else if (!warnings.empty()) {
                row.level = RowCheck::Level::Warning;
                row.problems = std::move(warnings);
                ++plan_.warnings;
            }
            held_ += sizeof(RowCheck) + shareTexts(row.problems);
            if (!row.problems.empty())
                held_ += 32 + static_cast<qint64>(sizeof(Problem) * row.problems.capacity());
            plan_.checks.push_back(std::move(row));
            return std::exchange(held_, 0);
        }

    private:
        // One copy of each text and code the problems hold, however many rows have it: a large
        // file tends to have the same few. The bytes of those new to the plan.
        qint64 shareTexts(Problems &problems)
        {
            qint64 added = 0;
            const auto share = [&added](auto &value, auto &known, qint64 unit) {
                if (value.isEmpty())
                    return;
                const auto found = known.constFind(value);
                if (found != known.cend()) {
                    value = *found;
                    return;
                }
                known.insert(value);
                added += 64 + unit * value.size(); // the block and its place in the set
            };
            for (Problem &p : problems) {
                share(p.text, texts_, 2);
                share(p.code, codes_, 1);
                share(p.padded, codes_, 1);
            }
            return added;
        }

        // Whether key is new to keys, counting what it holds then.
        bool remember(std::unordered_set<std::string> &keys, std::string key)
        {
            const std::size_t heap = key.size() > 15 ? 32 + key.size() : 0;
            if (!keys.insert(std::move(key)).second)
                return false;
            held_ += 72 + static_cast<qint64>(heap); // the node, its bucket, and a long key's block
            return true;
        }

        // A code not registered is read as the one registered code it equals padded with
        // leading zeros, and the row says so; otherwise it stays as it is.
        static void padIfStripped(
            QByteArray &code, const PaddedCodes &registered, Field field, Problems &warnings)
        {
            const QByteArray padded = registered.resolve(code);
            if (padded.isEmpty())
                return;
            warnings.push_back(Problem::ofCode(Problem::Kind::ReadAsPadded, field, code, padded));
            code = padded;
        }

        static std::string noteKey(std::string_view partner, std::string_view number)
        {
            std::string key(partner);
            key += '\0';
            key += number;
            return key;
        }

        void checkNote(const QStringList &cells, Problems &errors, Problems &warnings)
        {
            NoteEntry entry;
            const QString kindCell = cells[KindColumn].trimmed();
            const std::optional<NoteKind> kind = values::parseKind(kindCell);
            if (!kind)
                errors.push_back(kindCell.isEmpty() ? Problem(Problem::Kind::Missing, Field::Kind)
                                                    : unreadable(Field::Kind, kindCell));
            entry.kind = kind.value_or(PayableNote);
            entry.partnerCode = fieldBytes(cells[PartnerColumn], Field::PartnerCode, 5, errors);
            entry.bankCode = fieldBytes(cells[BankColumn], Field::NoteBank, 8, errors);
            entry.noteNumber = cells[NumberColumn];
            fieldBytes(entry.noteNumber, Field::NoteNumber, 10, errors);
            entry.issueDate =
                values::parseDate(cells[IssueColumn], values::ImportForms).value_or(QDate());
            entry.dueDate =
                values::parseDate(cells[DueColumn], values::ImportForms).value_or(QDate());
            const std::optional<Money> amount =
                values::parseAmount(cells[AmountColumn], values::ImportForms);
            if (!amount && !cells[AmountColumn].trimmed().isEmpty())
                errors.push_back(unreadable(Field::Amount, cells[AmountColumn]));
            entry.amount = amount.value_or(Money());
            // An approval left empty, or a column left out, is not given.
            const QString &approvalCell = cells[ApprovalColumn];
            const std::optional<bool> approved = approvalCell.trimmed().isEmpty()
                ? false
                : values::parseSettled(approvalCell, values::ImportForms);
            if (!approved)
                errors.push_back(unreadable(Field::Settled, approvalCell));
            entry.settled = approved.value_or(false);
            entry.remarks = cells[RemarksColumn];
            fieldBytes(entry.remarks, Field::Remarks, 40, errors);
            entry.enteredBy = cells[EnteredByColumn].isEmpty() ? sjis::decode(user_.Name)
                                                               : cells[EnteredByColumn];
            fieldBytes(
                entry.enteredBy, Field::EnteredBy, static_cast<int>(EnteredByDiskText), errors);
            // The input sheet's own checks; codes are chosen there, so theirs are the ones above.
            for (const Problem &p : entryProblems(entry, user_.Permissions))
                if (std::find(errors.begin(), errors.end(), p) == errors.end())
                    errors.push_back(p);
            if (!errors.empty())
                return;
            padIfStripped(entry.partnerCode, paddedPartners_, Field::PartnerCode, warnings);
            padIfStripped(entry.bankCode, paddedBanks_, Field::NoteBank, warnings);
            const std::optional<NoteRecord> record = makeNoteRecord(entry);
            if (!record) {
                errors.push_back({ Problem::Kind::NotStorable });
                return;
            }
            if (!partners_.contains(std::string(view(entry.partnerCode))))
                warnings.push_back(Problem::ofCode(
                    Problem::Kind::NotRegistered, Field::PartnerCode, entry.partnerCode));
            if (!banks_.contains(std::string(view(entry.bankCode))))
                warnings.push_back(
                    Problem::ofCode(Problem::Kind::NotRegistered, Field::NoteBank, entry.bankCode));
            if (!remember(
                    numbers_, noteKey(record->PartnerCode.view(), record->NoteNumber.view()))) {
                Problem repeated = Problem::ofCode(
                    Problem::Kind::NoteRepeated, Field::PartnerCode, entry.partnerCode);
                repeated.text = entry.noteNumber;
                warnings.push_back(repeated);
            }
            plan_.notes.push_back(*record);
            held_ += sizeof(NoteRecord);
        }

        void checkEntry(const QStringList &cells, Problems &errors, Problems &warnings)
        {
            const bool partner = plan_.kind == TableKind::Partners;
            const RegisterLimits limits = registerLimits(
                partner ? RegisterKind::PartnerRegister : RegisterKind::BankRegister);
            const Field codeField = partner ? Field::PartnerCode : Field::BankCode;
            const Field nameField = partner ? Field::PartnerName : Field::BankName;
            RegisterEntry entry;
            entry.code = fieldBytes(cells[CodeColumn], codeField, limits.code, errors);
            entry.name = fieldBytes(cells[NameColumn], nameField, limits.name, errors);
            if (partner)
                entry.bankCode = fieldBytes(cells[EntryBankColumn], Field::BankCode, 8, errors);
            if (cells[CodeColumn].isEmpty())
                errors.push_back({ Problem::Kind::Missing, codeField });
            if (cells[NameColumn].isEmpty())
                errors.push_back({ Problem::Kind::Missing, nameField });
            if (!errors.empty())
                return;
            if (partner)
                padIfStripped(entry.bankCode, paddedBanks_, Field::BankCode, warnings);
            std::unordered_set<std::string> &codes = partner ? partners_ : banks_;
            if (!remember(codes, std::string(view(entry.code))))
                warnings.push_back(
                    Problem::ofCode(Problem::Kind::Overwrites, codeField, entry.code));
            if (partner && !entry.bankCode.isEmpty()
                && !banks_.contains(std::string(view(entry.bankCode))))
                warnings.push_back(
                    Problem::ofCode(Problem::Kind::NotRegistered, Field::BankCode, entry.bankCode));
            plan_.entries.push_back(entry);
            held_ += sizeof(RegisterEntry) + 96 + entry.code.size() + entry.name.size()
                + entry.bankCode.size();
        }

        ImportPlan &plan_;
        const UserInfo &user_;
        std::unordered_set<std::string> partners_;
        std::unordered_set<std::string> banks_;
        std::unordered_set<std::string> numbers_;
        PaddedCodes paddedPartners_;
        PaddedCodes paddedBanks_;
        QSet<QString> texts_;
        QSet<QByteArray> codes_;
        qint64 held_ = 0; // by the row being checked
    };

    // The file column of each layout column, -1 for one the file leaves out. A column that must
    // be there and is not, or one named twice, refuses the file: the first in the layout's order.
    std::vector<int> mapColumns(TableKind kind, const QStringList &header, QString *error)
    {
        const QStringList columns = columnsOf(kind);
        std::vector<int> at(static_cast<std::size_t>(columns.size()), -1);
        for (qsizetype c = 0; c < columns.size(); ++c) {
            int &found = at[static_cast<std::size_t>(c)];
            for (qsizetype h = 0; h < header.size(); ++h) {
                if (header[h].trimmed() != columns[c])
                    continue;
                if (found >= 0) {
                    *error = messages::importRepeatedColumn(columns[c]);
                    return {};
                }
                found = static_cast<int>(h);
            }
            if (found < 0 && !optionalColumn(kind, static_cast<int>(c))) {
                *error = messages::importMissingColumn(columns[c]);
                return {};
            }
        }
        return at;
    }

    QByteArray encoded(const QString &text)
    {
        return sjis::encode(text);
    }

} // namespace

QStringList columnsOf(TableKind kind)
{
    switch (kind) {
    case TableKind::Notes:
        return { u"種類"_s, u"取引先コード"_s, u"手形番号"_s, u"振出銀行コード"_s, u"振出日"_s,
            u"支払日"_s, u"金額"_s, u"承認"_s, u"備考"_s, u"入力者名"_s };
    case TableKind::Partners:
        return { u"取引先コード"_s, u"取引先名"_s, u"銀行コード"_s };
    case TableKind::Banks:
        return { u"銀行コード"_s, u"銀行名"_s };
    }
    return {};
}

QString ImportPlan::summary() const
{
    return messages::importSummary(rows(), errors, warnings);
}

QStringList ImportPlan::warningLines() const
{
    QStringList lines;
    for (std::size_t i = 0; i < checks.size(); ++i)
        if (checks[i].level == RowCheck::Level::Warning)
            for (const Problem &p : checks[i].problems)
                lines << messages::importWarningLine(static_cast<int>(i) + 1, p);
    return lines;
}

QString ImportPlan::cell(int row, int column) const
{
    return withoutFormulaGuard(table.cell(static_cast<std::size_t>(row), column).toString());
}

ImportPlan planImport(TableKind kind, const QByteArray &file, const Tables &tables,
    const UserInfo &user, Progress *progress, const CsvLimits &limits)
{
    ImportPlan plan;
    plan.kind = kind;
    const auto columns = [kind](const QStringList &header, QString *error) {
        return mapColumns(kind, header, error);
    };
    plan.table = readCsv(file, columns, limits);
    if (!plan.table.error.isEmpty() || plan.table.header.isEmpty()) {
        plan.fileError = plan.table.error.isEmpty() ? messages::importNoHeader() : plan.table.error;
        plan.table = {};
        return plan;
    }
    // The checks and the records count toward what the reader may hold: the file and all that is
    // made of it stay within a bound, however many problems its rows have.
    qint64 held = plan.table.heldBytes();
    Checker checker(plan, tables, user);
    const std::size_t rows = plan.table.rows();
    plan.checks.reserve(rows);
    if (kind == TableKind::Notes)
        plan.notes.reserve(rows);
    else
        plan.entries.reserve(rows);
    QStringList cells(plan.table.columns());
    for (std::size_t r = 0; r < rows; ++r) {
        if (r % 1024 == 0 && !stepOn(progress, static_cast<qint64>(r), static_cast<qint64>(rows))) {
            plan.fileError = u"取り込みを取りやめました。"_s;
            return plan;
        }
        for (qsizetype c = 0; c < cells.size(); ++c)
            cells[c] = plan.cell(static_cast<int>(r), static_cast<int>(c));
        held += checker.check(cells);
        if (held > limits.keptBytes) {
            const QString error = messages::csvTooMuchKept(plan.table.lines[r], limits.keptBytes);
            plan = {};
            plan.kind = kind;
            plan.fileError = error;
            return plan;
        }
    }
    return plan;
}

ChangeOutcome applyImport(const ImportPlan &plan, Register &data)
{
    if (!plan.importable())
        return ChangeOutcome::Unchanged;
    switch (plan.kind) {
    case TableKind::Notes:
        return data.appendNotes(plan.notes);
    case TableKind::Partners:
        return data.importEntries(RegisterKind::PartnerRegister, plan.entries);
    case TableKind::Banks:
        return data.importEntries(RegisterKind::BankRegister, plan.entries);
    }
    return ChangeOutcome::Unchanged;
}

namespace {

    void guardedField(csv::LineWriter &line, std::string_view stored)
    {
        line.field(stored, guarded(stored) ? std::string_view("'") : std::string_view());
    }

    void writeHeader(csv::File &file, TableKind kind)
    {
        file.add(columnsOf(kind));
    }

    void writeNotes(csv::File &file, const Notes &notes)
    {
        static const QByteArray settled = encoded(u"〇"_s);
        static const QByteArray open = encoded(u"×"_s);
        QList<QByteArray> kinds;
        for (const QString &name : noteKindNames())
            kinds << encoded(name);
        for (const NoteRecord &n : notes) {
            csv::LineWriter line(file.buffer());
            line.putEncoded(n.Kind < kinds.size() ? kinds[n.Kind] : QByteArray::number(n.Kind));
            for (std::string_view text :
                { n.PartnerCode.view(), n.NoteNumber.view(), n.BankCode.view() }) {
                line.put(',');
                line.textField(text);
            }
            for (double day : { n.IssueDate, n.DueDate }) {
                line.put(',');
                line.putEncoded(daydate::formatShort(day).toLatin1());
            }
            line.put(',');
            line.putEncoded(formats::general(n.Amount).toLatin1());
            line.put(',');
            line.putEncoded(n.Settled != 0 ? settled : open);
            for (std::string_view text : { n.Remarks.view(), n.EnteredBy.view() }) {
                line.put(',');
                guardedField(line, text);
            }
            line.endLine();
            file.lineAdded();
        }
    }

    template <typename Record> void writeEntries(csv::File &file, const std::vector<Record> &table)
    {
        for (const Record &r : table) {
            csv::LineWriter line(file.buffer());
            guardedField(line, r.Code.view());
            line.put(',');
            guardedField(line, r.Name.view());
            if constexpr (requires { r.BankCode; }) {
                line.put(',');
                guardedField(line, r.BankCode.view());
            }
            line.endLine();
            file.lineAdded();
        }
    }

} // namespace

qint64 recordCount(TableKind kind, const Tables &tables)
{
    switch (kind) {
    case TableKind::Notes:
        return static_cast<qint64>(tables.notes.size());
    case TableKind::Partners:
        return static_cast<qint64>(tables.partners.size());
    case TableKind::Banks:
        return static_cast<qint64>(tables.banks.size());
    }
    return 0;
}

void writeTable(TableKind kind, csv::File &file, const Tables &tables)
{
    writeHeader(file, kind);
    switch (kind) {
    case TableKind::Notes:
        writeNotes(file, tables.notes);
        break;
    case TableKind::Partners:
        writeEntries(file, tables.partners);
        break;
    case TableKind::Banks:
        writeEntries(file, tables.banks);
        break;
    }
}

bool exportTable(TableKind kind, const QString &path, const Tables &tables, QString *error,
    Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(recordCount(kind, tables) + 1);
        writeTable(kind, file, tables);
    });
}

bool exportTemplate(
    TableKind kind, const QString &path, QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) { writeHeader(file, kind); });
}

} // namespace exchange
