#pragma once

#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reading the CSV files people bring from spreadsheets and other programs: the bytes to text,
// and the text to records of fields.
namespace exchange {

enum class Encoding { Cp932, Utf8 };

struct DecodedText
{
    QString text;
    Encoding encoding = Encoding::Cp932;
};

// UTF-8 when the bytes begin with its BOM, or are valid UTF-8 holding at least one non-ASCII
// character; code page 932 otherwise (pure ASCII reads the same either way). The BOM is dropped.
DecodedText decodeFile(const QByteArray &bytes);

struct CsvRecords
{
    std::vector<QStringList> records;
    // The 1-based line of the file where each record begins.
    std::vector<int> lines;
    // Japanese, empty when the whole text was read. On an error, records holds those before
    // the one that failed.
    QString error;
};

// Fields are separated by ","; a quoted field may hold commas, doubled quotes and line breaks.
// A record ends with CR LF or LF; a lone CR is kept as text. The text after the last line
// break, when empty, is no record; an empty line elsewhere is a record of one empty field.
CsvRecords parseCsv(const QString &text);

} // namespace exchange
