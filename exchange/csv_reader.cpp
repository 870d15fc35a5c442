#include "exchange/csv_reader.h"

#include <algorithm>

#include <cstddef>
#include <string>
#include <string_view>

#include <QStringDecoder>

#include "core/sjis.h"
#include "messages/import_messages.h"

namespace exchange {

namespace {

    constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

    bool isContinuation(char c)
    {
        return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
    }

    // Qt's decoder refuses overlong forms, surrogates and code points past U+10FFFF, which code
    // page 932's double-byte characters would otherwise often pass for. It reads a piece at a
    // time, each ending before a byte that begins a character, so that the text is never held
    // whole.
    bool wellFormedUtf8(std::string_view all)
    {
        constexpr std::size_t Piece = 1 << 20;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString buffer(static_cast<qsizetype>(std::min(all.size(), Piece + 3)), Qt::Uninitialized);
        std::size_t at = 0;
        while (at < all.size()) {
            std::size_t cut = std::min(all.size(), at + Piece);
            // A character is at most four bytes: past three continuations the text is broken
            // wherever it is cut.
            for (int i = 0; i < 3 && cut < all.size() && isContinuation(all[cut]); ++i)
                ++cut;
            utf8.appendToBuffer(
                buffer.data(), QByteArrayView(all.data() + at, static_cast<qsizetype>(cut - at)));
            if (utf8.hasError())
                return false;
            at = cut;
        }
        return true;
    }

    // Text keeps tabs and line breaks (a 備考 may hold them); no other C0 control, nor DEL nor a
    // C1 control, which no spreadsheet writes in a cell and which would end up in the data files.
    bool isControl(char16_t c)
    {
        return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F);
    }

} // namespace

Encoding encodingOf(const QByteArray &bytes)
{
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (all.starts_with(Utf8Bom))
        return Encoding::Utf8;
    const bool nonAscii = std::any_of(
        all.begin(), all.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return nonAscii && wellFormedUtf8(all) ? Encoding::Utf8 : Encoding::Cp932;
}

QStringView CsvTable::cell(std::size_t row, qsizetype column) const
{
    const std::size_t at =
        row * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
    const qsizetype begin = at == 0 ? 0 : ends_[at - 1];
    return QStringView(text_).sliced(begin, ends_[at] - begin);
}

// Walks the bytes once. Fields are cut on the bytes, which is sound in both encodings: a comma, a
// quote, CR and LF are never part of a UTF-8 or code page 932 character. Only the fields kept are
// decoded, and a field not kept is never copied.
class CsvReader
{
public:
    CsvReader(std::string_view bytes, Encoding encoding, const CsvLimits &limits, CsvTable &out)
        : p_(bytes.data())
        , end_(bytes.data() + bytes.size())
        , encoding_(encoding)
        , limits_(limits)
        , out_(out)
    {
    }

    void read(const ColumnChoice &choose)
    {
        if (p_ == end_)
            return;
        if (!readRecord())
            return;
        inHeader_ = false;
        for (const QString &name : fields_)
            out_.held_ += 2 * name.size() + 56; // its slot in the list, and the string's own block
        if (out_.held_ > limits_.keptBytes) {
            fail(messages::csvTooMuchKept(1, limits_.keptBytes));
            return;
        }
        out_.header = std::move(fields_);
        const std::vector<int> chosen = choose(out_.header, &out_.error);
        if (!out_.error.isEmpty())
            return;
        out_.columns_ = static_cast<qsizetype>(chosen.size());
        for (std::size_t c = 0; c < chosen.size(); ++c) {
            if (chosen[c] < 0)
                continue;
            if (static_cast<std::size_t>(chosen[c]) >= keptAs_.size())
                keptAs_.resize(static_cast<std::size_t>(chosen[c]) + 1, -1);
            keptAs_[static_cast<std::size_t>(chosen[c])] = static_cast<int>(c);
        }
        fields_ = QStringList(out_.columns_);
        // Room for every line of the file, up to the most rows; pages never used take no memory.
        const auto breaks = static_cast<std::size_t>(std::count(p_, end_, '\n')) + 1;
        const std::size_t rows = std::min(breaks, static_cast<std::size_t>(limits_.rows));
        out_.lines.reserve(rows);
        out_.ends_.reserve(rows * chosen.size());
        while (p_ < end_) {
            for (QString &f : fields_)
                f.clear();
            const int line = line_;
            if (!readRecord() || (!blank_ && !keep(line)))
                return;
        }
    }

private:
    bool fail(QString error)
    {
        out_.error = std::move(error);
        return false;
    }

    // The slot in fields_ of a file column, -1 when it is not kept. The header keeps every field.
    int slotOf(qsizetype column) const
    {
        if (inHeader_)
            return static_cast<int>(column);
        return static_cast<std::size_t>(column) < keptAs_.size()
            ? keptAs_[static_cast<std::size_t>(column)]
            : -1;
    }

    QString columnName(qsizetype column) const
    {
        const QString name =
            column < out_.header.size() ? out_.header[column].trimmed() : QString();
        return messages::csvColumn(static_cast<int>(column) + 1, name);
    }

    // CR LF or LF ends a record; a CR that ends the text is taken for a cut-off CR LF.
    bool atRecordEnd(const char *c) const
    {
        return *c == '\n' || (*c == '\r' && (c + 1 == end_ || c[1] == '\n'));
    }

    const char *unquotedEnd(const char *from) const
    {
        while (from < end_ && *from != ',' && !atRecordEnd(from))
            ++from;
        return from;
    }

    QString decode(std::string_view bytes) const
    {
        if (encoding_ == Encoding::Cp932)
            return sjis::decode(bytes);
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }

    // One record into fields_ (the header's every field, or the kept ones in their slots);
    // blank_ tells whether every field, kept or not, was empty.
    bool readRecord()
    {
        const int recordLine = line_;
        blank_ = true;
        for (qsizetype column = 0;; ++column) {
            const int fieldLine = line_;
            const int slot = slotOf(column);
            if (slot >= 0 && inHeader_)
                fields_.append(QString());
            std::string_view value;
            if (p_ < end_ && *p_ == '"') {
                if (!readQuoted(slot >= 0, fieldLine, column))
                    return false;
                value = quoted_;
            } else {
                const char *start = p_;
                p_ = unquotedEnd(p_);
                value = std::string_view(start, static_cast<std::size_t>(p_ - start));
                blank_ = blank_ && value.empty();
            }
            if (slot >= 0) {
                if (value.size() > static_cast<std::size_t>(limits_.fieldBytes))
                    return fail(messages::csvFieldTooLong(
                        fieldLine, columnName(column), limits_.fieldBytes));
                QString text = decode(value);
                if (!inHeader_) {
                    const auto bad = std::find_if(
                        text.cbegin(), text.cend(), [](QChar c) { return isControl(c.unicode()); });
                    if (bad != text.cend())
                        return fail(messages::csvControlCharacter(
                            fieldLine + static_cast<int>(std::count(text.cbegin(), bad, u'\n')),
                            columnName(column), bad->unicode()));
                }
                fields_[slot] = std::move(text);
            }
            if (p_ < end_ && *p_ == ',') {
                ++p_;
                if (column + 1 >= limits_.fields)
                    return fail(messages::csvTooManyFields(recordLine, limits_.fields));
                continue;
            }
            if (p_ < end_) {
                if (*p_ == '\r')
                    ++p_;
                if (p_ < end_)
                    ++p_;
                ++line_;
            }
            return true;
        }
    }

    // A quoted field from its opening quote; its text without the quotes goes to quoted_ when it
    // is kept, and only while it stays within a field's bytes.
    bool readQuoted(bool kept, int fieldLine, qsizetype column)
    {
        quoted_.clear();
        std::size_t length = 0;
        // false once a kept field is longer than a field may be; nothing more of it is copied.
        const auto add = [&](const char *from, const char *to) {
            length += static_cast<std::size_t>(to - from);
            if (!kept)
                return true;
            if (length > static_cast<std::size_t>(limits_.fieldBytes))
                return fail(
                    messages::csvFieldTooLong(fieldLine, columnName(column), limits_.fieldBytes));
            quoted_.append(from, to);
            return true;
        };
        const char *segment = ++p_;
        for (;;) {
            const char *quote = std::find(p_, end_, '"');
            line_ += static_cast<int>(std::count(p_, quote, '\n'));
            if (!add(segment, quote))
                return false;
            if (quote == end_)
                return fail(messages::csvUnclosedQuote(fieldLine));
            p_ = quote + 1;
            if (p_ < end_ && *p_ == '"') {
                segment = p_++;
                continue;
            }
            break;
        }
        // Text after the closing quote is no proper CSV; it is kept rather than lost.
        const char *rest = p_;
        p_ = unquotedEnd(p_);
        if (!add(rest, p_))
            return false;
        blank_ = blank_ && length == 0;
        return true;
    }

    // Adds the record read to the rows, within the limits.
    bool keep(int line)
    {
        if (out_.rows() >= static_cast<std::size_t>(limits_.rows))
            return fail(messages::csvTooManyRows(limits_.rows));
        qint64 cost = 4 + 4 * static_cast<qint64>(fields_.size());
        for (const QString &f : fields_)
            cost += 2 * f.size();
        if (out_.held_ + cost > limits_.keptBytes)
            return fail(messages::csvTooMuchKept(line, limits_.keptBytes));
        out_.held_ += cost;
        for (const QString &f : fields_) {
            out_.text_ += f;
            out_.ends_.push_back(static_cast<std::uint32_t>(out_.text_.size()));
        }
        out_.lines.push_back(line);
        return true;
    }

    const char *p_;
    const char *const end_;
    const Encoding encoding_;
    const CsvLimits limits_;
    CsvTable &out_;
    int line_ = 1;
    bool inHeader_ = true;
    bool blank_ = true;
    QStringList fields_;
    std::vector<int> keptAs_;
    std::string quoted_;
};

CsvTable readCsv(const QByteArray &bytes, const ColumnChoice &choose, const CsvLimits &limits)
{
    CsvTable out;
    const Encoding encoding = encodingOf(bytes);
    std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (all.starts_with(Utf8Bom))
        all.remove_prefix(Utf8Bom.size());
    CsvReader(all, encoding, limits, out).read(choose);
    return out;
}

} // namespace exchange
