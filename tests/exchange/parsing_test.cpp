#include <cstdint>
#include <numeric>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "core/sjis.h"
#include "exchange/csv_reader.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;
using exchange::Encoding;

namespace {

// Every column the header names, in its order.
exchange::CsvTable readAll(const QByteArray &bytes, const exchange::CsvLimits &limits = {})
{
    return exchange::readCsv(
        bytes,
        [](const QStringList &header, QString *) {
            std::vector<int> all(static_cast<std::size_t>(header.size()));
            std::iota(all.begin(), all.end(), 0);
            return all;
        },
        limits);
}

std::vector<QStringList> rowsOf(const exchange::CsvTable &table)
{
    std::vector<QStringList> rows;
    for (std::size_t r = 0; r < table.rows(); ++r) {
        QStringList cells;
        for (qsizetype c = 0; c < table.columns(); ++c)
            cells << table.cell(r, c).toString();
        rows.push_back(cells);
    }
    return rows;
}

} // namespace

TEST(ExchangeCsv, EncodingFoundFromTheBytes)
{
    // NEC (①, ㈱) and IBM (髙) extension characters, which plain Shift_JIS lacks.
    const QString text = u"受取手形,①,㈱山田商事,髙橋"_s;
    bool encoded = false;
    const QByteArray cp932 = sjis::encode(text, &encoded);
    ASSERT_TRUE(encoded);
    bool katakanaEncoded = false;
    // C3 BD is UTF-8 on its own; the C4 after it is not.
    const QByteArray halfWidthKana = sjis::encode(u"ﾃｽﾄ"_s, &katakanaEncoded);
    ASSERT_TRUE(katakanaEncoded);
    // The UTF-8 check goes a piece at a time: a character across the first piece's end is whole,
    // and a fault far past it still counts.
    const QString across = QString(1024 * 1024 - 1, u'a') + u"手形"_s;
    const QByteArray lateFault = across.toUtf8() + QByteArray(1024 * 1024, 'b') + "\x82\xA0";

    const struct
    {
        QByteArray bytes;
        QString text;
        Encoding encoding;
    } cases[] = {
        { "\xEF\xBB\xBF" + text.toUtf8(), text, Encoding::Utf8 },
        { QByteArray("\xEF\xBB\xBF"
                     "a,b"),
            u"a,b"_s, Encoding::Utf8 },
        { text.toUtf8(), text, Encoding::Utf8 },
        { cp932, text, Encoding::Cp932 },
        { halfWidthKana, u"ﾃｽﾄ"_s, Encoding::Cp932 },
        { QByteArray("a,b\r\n"), u"a,b"_s, Encoding::Cp932 },
        { across.toUtf8(), across, Encoding::Utf8 },
        { lateFault, {}, Encoding::Cp932 },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(exchange::encodingOf(c.bytes), c.encoding) << c.text.left(20).toStdString();
        if (c.text.isEmpty())
            continue;
        // Long texts are read with room for their one field.
        const exchange::CsvTable read = readAll(c.bytes, { .fieldBytes = c.bytes.size() });
        EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
        EXPECT_EQ(read.header.join(u','), c.text);
    }
}

TEST(ExchangeCsv, RowsAndTheLinesTheyBeginOn)
{
    using Rows = std::vector<QStringList>;
    const struct
    {
        QString text;
        Rows rows;
        std::vector<int> lines;
        QString error;
    } cases[] = {
        { u"h,h\r\na,b\r\nc,d\r\n"_s, { { u"a"_s, u"b"_s }, { u"c"_s, u"d"_s } }, { 2, 3 }, {} },
        { u"h,h\na,b\nc,d"_s, { { u"a"_s, u"b"_s }, { u"c"_s, u"d"_s } }, { 2, 3 }, {} },
        { u"h,h,h\n\"x,y\",\"say \"\"hi\"\"\",\"\"\n"_s, { { u"x,y"_s, u"say \"hi\""_s, u""_s } },
            { 2 }, {} },
        { u"h,h,h\n1,\"two\r\nlines\",3\r\n4,5,6\r\n"_s,
            { { u"1"_s, u"two\r\nlines"_s, u"3"_s }, { u"4"_s, u"5"_s, u"6"_s } }, { 2, 4 }, {} },
        { u"h,h\na,\"b\rc\"\n"_s, { { u"a"_s, u"b\rc"_s } }, { 2 }, {} },
        // A CR alone is text; one that ends the file is what is left of a CR LF.
        { u"h,h\na\rb,c\r"_s, { { u"a\rb"_s, u"c"_s } }, { 2 }, {} },
        // Records of empty fields are no rows; a short one reads as empty to the end.
        { u"h,h\na,\n\n,\n\"\"\nb\n"_s, { { u"a"_s, u""_s }, { u"b"_s, u""_s } }, { 2, 6 }, {} },
        { u""_s, {}, {}, {} },
        // The error names the line the open field began on, not the record's or the last.
        { u"h\nok\n\"x\ny\",\"z\nmore\n"_s, { { u"ok"_s } }, { 2 },
            u"4行目の引用符（\"）が閉じられていません。"_s },
    };
    for (const auto &c : cases) {
        const exchange::CsvTable read = readAll(c.text.toUtf8());
        EXPECT_EQ(rowsOf(read), c.rows) << c.text.toStdString();
        EXPECT_EQ(read.lines, c.lines) << c.text.toStdString();
        EXPECT_EQ(read.error, c.error);
    }
}

// Only the chosen columns are kept, and each limit stops the reading at the record that passes
// it: fields a record, bytes of a kept field, rows, and what the kept rows hold.
TEST(ExchangeCsv, KeepsTheChosenColumnsWithinTheLimits)
{
    const exchange::CsvLimits small { .fields = 4, .fieldBytes = 8, .rows = 3, .keptBytes = 250 };
    // The file's columns b and a, in that order, and one it does not have.
    const auto bThenA = [](const QStringList &header, QString *) {
        return std::vector<int> { static_cast<int>(header.indexOf(u"b"_s)),
            static_cast<int>(header.indexOf(u"a"_s)), -1 };
    };
    const struct
    {
        const char *what;
        QByteArray file;
        QStringList rows; // each row's cells joined by "|"
        QString error;
    } cases[] = {
        { "chosen order, unkept fields of any length",
            "a,x,b\n1,\"very long field\",2\n3,very long field,", { u"2|1|"_s, u"|3|"_s }, {} },
        { "too many fields", "a,b\n1,2,3,4\n5,6,7,8,9\n", { u"2|1|"_s },
            u"3行目の項目が多すぎます（4項目まで）。"_s },
        { "a kept field too long", "a,b\n1,123456789\n", {},
            u"2行目の「b」が長すぎます。1つの項目は8バイトまでです。"_s },
        { "too long with what follows its quote", "a,b\n\"12345678\"9,2\n", {},
            u"2行目の「a」が長すぎます。1つの項目は8バイトまでです。"_s },
        { "too many rows", "a,b\n1\n\n2\n3\n4\n", { u"|1|"_s, u"|2|"_s, u"|3|"_s },
            u"ファイルの行が多すぎます。一度に取り込めるのは、見出しのほかに3行までです。"_s },
        // The header holds 2 × (56 + 2) bytes, and each row 4 + 3 × 4 and 2 a character.
        { "too much kept", "a,b\n12345678,12345678\n12345678,12345678\n1234567,12345678\n",
            { u"12345678|12345678|"_s, u"12345678|12345678|"_s },
            u"ファイルの中身が多すぎます。読み込んで確かめた内容が0 MBを超えたので、4行目で止めました。ファイルを分けて取り込んでください。"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const exchange::CsvTable read = exchange::readCsv(c.file, bThenA, small);
        QStringList rows;
        for (const QStringList &row : rowsOf(read))
            rows << row.join(u'|');
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(read.error, c.error);
    }
}

// A kept field holds no control character but tab, CR and LF, in either encoding; the error
// names the line the character is on and the column. A column not kept may hold anything.
TEST(ExchangeCsv, ControlCharactersAreRefusedInKeptFields)
{
    const auto firstTwo = [](const QStringList &, QString *) { return std::vector<int> { 0, 1 }; };
    const struct
    {
        QByteArray file;
        QString error;
    } cases[] = {
        { u"名前,備考,x\n"_s.toUtf8() + QByteArray("\0\0,b,\0\n", 7),
            u"2行目の「名前」に、使えない制御文字（U+0000）があります。"_s },
        { sjis::encode(u"名前,\n"_s) + QByteArray("a,\"1\n2\x7F\"\n"),
            u"3行目の2列目に、使えない制御文字（U+007F）があります。"_s },
        { u"名前,備考\na,"_s.toUtf8() + "\xC2\x85\n",
            u"2行目の「備考」に、使えない制御文字（U+0085）があります。"_s },
        { "a,b\n\x0B,\n", u"2行目の「a」に、使えない制御文字（U+000B）があります。"_s },
        { "a,b\n\x1F,\n", u"2行目の「a」に、使えない制御文字（U+001F）があります。"_s },
        { "a,b,c\nx,\"tab\there\r\nand\rthere\",\x01\n", {} },
    };
    for (const auto &c : cases) {
        const exchange::CsvTable read = exchange::readCsv(c.file, firstTwo);
        EXPECT_EQ(read.error, c.error) << c.file.toHex(' ').toStdString();
        EXPECT_EQ(read.rows(), c.error.isEmpty() ? 1u : 0u);
    }
}
