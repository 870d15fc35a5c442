#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// Reading the CSV files people bring from spreadsheets and other programs: the bytes to records,
// and of the records only what the import uses.
namespace exchange {

enum class Encoding { Cp932, Utf8 };

// UTF-8 when the bytes begin with its BOM, or are valid UTF-8 holding at least one non-ASCII
// character; code page 932 otherwise (pure ASCII reads the same either way).
Encoding encodingOf(const QByteArray &bytes);

// What the reader takes at most. A register's tables with room to spare: a file beyond them is
// no table of records, and holding it would only exhaust the memory.
struct CsvLimits
{
    qsizetype fields = 1000; // fields of a record, kept or not
    qsizetype fieldBytes = 1000; // bytes of a field that is kept
    qsizetype rows = 1'000'000; // records after the header
    // What the header and the kept rows hold: 2 bytes a character, 4 a field and 4 a row.
    qint64 keptBytes = 640LL * 1024 * 1024;
};

// A file read as a table: its header row whole, and of every later record only the columns chosen
// from the header, each row as one run of text.
class CsvTable
{
public:
    QStringList header;
    // The 1-based line of the file where each row begins.
    std::vector<int> lines;
    // Japanese, empty when the whole file was read. On an error, the rows are those before the
    // record that failed.
    QString error;

    std::size_t rows() const { return lines.size(); }
    qsizetype columns() const { return columns_; }
    // Empty for a column the file does not have, or a record too short to reach it.
    QStringView cell(std::size_t row, qsizetype column) const;
    // What the header and the rows hold, as CsvLimits counts it.
    qint64 heldBytes() const { return held_; }

private:
    friend class CsvReader;
    qsizetype columns_ = 0;
    QString text_; // the cells of every row, one after another
    std::vector<std::uint32_t> ends_; // where each cell ends in text_
    qint64 held_ = 0;
};

// For each column to keep, the file column that holds it (each file column at most once), or -1
// when the file has none; chosen from the header row. An error text refuses the file.
using ColumnChoice = std::function<std::vector<int>(const QStringList &header, QString *error)>;

// Fields are separated by ","; a quoted field may hold commas, doubled quotes and line breaks.
// A record ends with CR LF or LF; a lone CR is kept as text. The text after the last line break,
// when empty, is no record; a record whose fields are all empty is no row (a spreadsheet leaves
// them between and after the rows). A kept field of a row may hold no control character but the
// tab and the line breaks. Whatever passes a limit stops the reading there, with the error set.
CsvTable readCsv(const QByteArray &bytes, const ColumnChoice &choose, const CsvLimits &limits = {});

} // namespace exchange
