#include "exchange/csv_reader.h"

#include <algorithm>

#include <cstddef>
#include <string_view>
#include <utility>

#include <QStringDecoder>

#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace exchange {

namespace {

    bool isSeparator(const QChar *p)
    {
        return p->unicode() == u',';
    }

} // namespace

DecodedText decodeFile(const QByteArray &bytes)
{
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (all.starts_with("\xEF\xBB\xBF")) {
        const std::string_view rest = all.substr(3);
        return { QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size())),
            Encoding::Utf8 };
    }
    // Without a BOM, UTF-8 is taken only when it is well-formed and not plain ASCII: Qt's decoder
    // refuses overlong forms, surrogates and code points past U+10FFFF, which code page 932's
    // double-byte characters would otherwise often pass for.
    const bool nonAscii = std::any_of(
        all.begin(), all.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (nonAscii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return { std::move(text), Encoding::Utf8 };
    }
    return { sjis::decode(all), Encoding::Cp932 };
}

namespace {

    // A register's tables, with room to spare; a file far beyond them is no table of records, and
    // reading it whole would only exhaust the memory.
    constexpr std::size_t MostRecords = 5'000'000;
    constexpr qsizetype MostFields = 1000;

} // namespace

CsvRecords parseCsv(const QString &text)
{
    CsvRecords out;
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    // A close upper bound on the records, so that the vectors of a large file are not moved
    // again and again as they grow.
    const auto breaks = static_cast<std::size_t>(text.count(u'\n')) + 1;
    out.records.reserve(std::min(breaks, MostRecords + 1));
    out.lines.reserve(std::min(breaks, MostRecords + 1));

    // CR LF or LF ends a record; a CR that ends the text is taken for a cut-off CR LF.
    const auto atRecordEnd = [&](const QChar *c) {
        return c->unicode() == u'\n'
            || (c->unicode() == u'\r' && (c + 1 == end || c[1].unicode() == u'\n'));
    };

    int line = 1;
    qsizetype fieldCount = 0;
    while (p < end) {
        const int recordLine = line;
        QStringList fields;
        fields.reserve(fieldCount);
        for (;;) {
            if (p < end && p->unicode() == u'"') {
                const int fieldLine = line;
                QString value;
                const QChar *segment = ++p;
                for (;;) {
                    if (p == end) {
                        out.error = u"%1行目の引用符（\"）が閉じられていません。"_s.arg(fieldLine);
                        return out;
                    }
                    if (p->unicode() == u'"') {
                        value.append(segment, p - segment);
                        ++p;
                        if (p < end && p->unicode() == u'"') {
                            segment = p++;
                            continue;
                        }
                        break;
                    }
                    if (p->unicode() == u'\n')
                        ++line;
                    ++p;
                }
                // Text after the closing quote is no proper CSV; it is kept rather than lost.
                const QChar *rest = p;
                while (p < end && !isSeparator(p) && !atRecordEnd(p))
                    ++p;
                value.append(rest, p - rest);
                fields.append(std::move(value));
            } else {
                const QChar *start = p;
                while (p < end && !isSeparator(p) && !atRecordEnd(p))
                    ++p;
                fields.append(QString(start, p - start));
            }
            if (p < end && isSeparator(p)) {
                ++p;
                if (fields.size() >= MostFields) {
                    out.error = u"%1行目の項目が多すぎます（%2項目まで）。"_s.arg(recordLine)
                                    .arg(MostFields);
                    return out;
                }
                continue;
            }
            if (p < end) {
                if (p->unicode() == u'\r')
                    ++p;
                if (p < end)
                    ++p;
                ++line;
            }
            break;
        }
        fieldCount = fields.size();
        if (out.records.size() >= MostRecords) {
            out.error = u"ファイルの行が多すぎます（%1行まで）。"_s.arg(MostRecords);
            return out;
        }
        out.records.push_back(std::move(fields));
        out.lines.push_back(recordLine);
    }
    return out;
}

} // namespace exchange
