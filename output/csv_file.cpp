#include "output/csv_file.h"

#include <QFileInfo>

#include "messages/io_error.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace {

// Lines are handed to the file in pieces of this size, not one system call per line.
constexpr qsizetype WriteChunk = 1 << 20;

bool needsQuotes(const QString &text)
{
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

void appendEncoded(QByteArray &out, const QString &text)
{
    bool ascii = true;
    for (QChar ch : text)
        ascii = ascii && ch.unicode() < 0x80;
    if (ascii) {
        out += text.toLatin1();
        return;
    }
    bool ok = false;
    const QByteArray bytes = sjis::encode(text, &ok);
    if (ok) {
        out += bytes;
        return;
    }
    // Character by character, so one stray character costs one "?" and not the line.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray one = sjis::encode(text.mid(i, width), &ok);
        out += ok ? one : QByteArray("?");
        i += width - 1;
    }
}

} // namespace

namespace csv {

QString field(const QString &text)
{
    if (!needsQuotes(text))
        return text;
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

QByteArray line(const QStringList &fields)
{
    QString joined;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            joined += u',';
        joined += field(fields.at(i));
    }
    QByteArray out;
    appendEncoded(out, joined);
    out += "\r\n";
    return out;
}

File::File(const QString &path, FileSystem &fs)
    : file_(path, 0644, false, fs)
{
}

bool File::open()
{
    targetExisted_ = QFileInfo(file_.target()).isFile();
    buffer_.reserve(WriteChunk + 4096);
    failed_ = !file_.open();
    return !failed_;
}

void File::add(const QStringList &fields)
{
    if (failed_)
        return;
    buffer_ += line(fields);
    if (buffer_.size() >= WriteChunk)
        flush();
}

void File::lineAdded()
{
    if (failed_)
        buffer_.resize(0);
    else if (buffer_.size() >= WriteChunk)
        flush();
}

bool File::flush()
{
    if (!failed_ && !buffer_.isEmpty())
        failed_ = !file_.write(buffer_);
    buffer_.resize(0); // keeps its room for the next chunk
    return !failed_;
}

bool File::commit()
{
    if (!flush() || !file_.finish() || !file_.commit()) {
        // Only the folder's sync failed: the whole file is already in place.
        if (file_.replaced())
            return true;
        failed_ = true;
        file_.discard();
        return false;
    }
    return true;
}

QString File::errorMessage() const
{
    if (!failed_)
        return {};
    QString text = u"\nCSVファイル「%1」を書き込めませんでした。\n理由: %2"_s.arg(
        file_.target(), systemReason(file_.error()));
    if (targetExisted_)
        text += u"\n元のファイルはそのまま残っています。"_s;
    return text;
}

} // namespace csv
