#pragma once

#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "core/value_parsers.h"
#include "exchange/csv_reader.h"
#include "session/session.h"

class Progress;
namespace csv {
class File;
}

// Notes, partners and banks from and to a spreadsheet, in one documented CSV layout: a header row
// names the columns (found by their text, in any order; others are ignored), then one record a
// row. An import is checked whole before anything changes, and goes in as one change.
namespace exchange {

enum class TableKind { Notes, Partners, Banks };

// The largest file the import reads: a million notes take some 90 MB. The file and all that is
// made of it (CsvLimits::keptBytes) stay well within 1 GiB.
constexpr qint64 LargestImportFile = 128LL * 1024 * 1024;

// The columns of a table in the order an export writes them.
QStringList columnsOf(TableKind kind);

// A row's state: its errors, or when it has none its warnings (messages::importRowStatus says
// them).
struct RowCheck
{
    enum class Level { Fine, Warning, Error };
    Level level = Level::Fine;
    values::Problems problems;
};

struct ImportPlan
{
    TableKind kind = TableKind::Notes;
    QString fileError; // the file as a whole cannot be taken; nothing else is set then
    CsvTable table; // each record's cells in columnsOf(kind) order, as the file has them
    std::vector<RowCheck> checks; // one a row checked
    std::vector<NoteRecord> notes; // the records to add, once every row is free of errors
    std::vector<RegisterEntry> entries;
    int errors = 0;
    int warnings = 0;

    int rows() const { return static_cast<int>(checks.size()); }
    // A row's cell as it is taken in: without the "'" an export put before a formula.
    QString cell(int row, int column) const;
    bool importable() const { return fileError.isEmpty() && errors == 0 && !checks.empty(); }
    // "N件中 エラー N件 警告 N件"
    QString summary() const;
    // Every warning, for the one question asked before the import.
    QStringList warningLines() const;
};

// Reads and checks a whole file against the register as it is now, with the rules of entering a
// record by hand. An empty 入力者名 takes the logged-in user's name. progress hears of the rows
// checked; when it says the user cancelled, the plan stops there and cannot be taken in. What the
// rows' checks hold counts toward limits.keptBytes with what the reader holds.
ImportPlan planImport(TableKind kind, const QByteArray &file, const Tables &tables,
    const UserInfo &user, Progress *progress = nullptr, const CsvLimits &limits = {});

// Adds or overwrites what the plan holds, as one change of the register.
ChangeOutcome applyImport(const ImportPlan &plan, Register &data);

// Writes every record of a table in the layout: code page 932, CR LF, dates yyyy/MM/dd, amounts
// as plain digits with the decimals they need, 承認 〇/×, 種類 by name; texts as stored. false
// with the Japanese reason in error; the old file then stays.
bool exportTable(TableKind kind, const QString &path, const Tables &tables, QString *error,
    Progress *progress, FileSystem &fs);
// The number of records a table holds now.
qint64 recordCount(TableKind kind, const Tables &tables);
// The header row and every record of a table, into a file already open.
void writeTable(TableKind kind, csv::File &file, const Tables &tables);
// The header row alone, a template to fill in.
bool exportTemplate(
    TableKind kind, const QString &path, QString *error, Progress *progress, FileSystem &fs);

} // namespace exchange
