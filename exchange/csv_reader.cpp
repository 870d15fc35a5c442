#include "exchange/csv_reader.h"

#include <algorithm>

#include <cstddef>
#include <string_view>

#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace exchange {

namespace {

    // Whether the bytes are well-formed UTF-8 with at least one character beyond ASCII.
    // Overlong forms, surrogates and code points past U+10FFFF are refused, so that code page
    // 932 text, whose double-byte characters rarely form such sequences, is not taken for it.
    bool isNonAsciiUtf8(std::string_view bytes)
    {
        bool nonAscii = false;
        const std::size_t n = bytes.size();
        std::size_t i = 0;
        while (i < n) {
            const auto lead = static_cast<unsigned char>(bytes[i]);
            if (lead < 0x80) {
                ++i;
                continue;
            }
            nonAscii = true;
            std::size_t length = 0;
            unsigned char low = 0x80;
            unsigned char high = 0xBF;
            if (lead >= 0xC2 && lead <= 0xDF) {
                length = 2;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                length = 3;
                if (lead == 0xE0)
                    low = 0xA0;
                else if (lead == 0xED)
                    high = 0x9F;
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                length = 4;
                if (lead == 0xF0)
                    low = 0x90;
                else if (lead == 0xF4)
                    high = 0x8F;
            } else {
                return false;
            }
            if (n - i < length)
                return false;
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            if (second < low || second > high)
                return false;
            for (std::size_t k = 2; k < length; ++k)
                if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                    return false;
            i += length;
        }
        return nonAscii;
    }

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
    if (isNonAsciiUtf8(all))
        return { QString::fromUtf8(bytes), Encoding::Utf8 };
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
