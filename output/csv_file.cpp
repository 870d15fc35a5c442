#include "output/csv_file.h"

#include <system_error>

#include <QFileInfo>

#include "messages/io_error.h"
#include "output/csv_line.h"

using namespace Qt::StringLiterals;

namespace {

// Lines are handed to the file in pieces of this size, not one system call per line.
constexpr qsizetype WriteChunk = 1 << 20;

} // namespace

namespace csv {

QString field(const QString &text)
{
    struct Sink
    {
        QString &out;
        void put(char16_t c) { out.append(QChar(c)); }
        void put(std::u16string_view part)
        {
            out.append(QStringView(part.data(), static_cast<qsizetype>(part.size())));
        }
    };
    QString out;
    Sink sink { out };
    writeField(sink,
        std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()),
            static_cast<std::size_t>(text.size())));
    return out;
}

void appendLine(QByteArray &out, const QStringList &fields)
{
    LineWriter line(out);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line.put(',');
        line.text(fields.at(i));
    }
    line.endLine();
}

QByteArray line(const QStringList &fields)
{
    QByteArray out;
    appendLine(out, fields);
    return out;
}

File::File(const QString &path, FileSystem &fs)
    : file_(path, NewFileMode, false, fs)
{
}

bool File::open()
{
    targetExisted_ = QFileInfo(file_.target()).isFile();
    buffer_.reserve(WriteChunk + 4096);
    writing_.reserve(WriteChunk + 4096);
    failed_ = !file_.open();
    return !failed_;
}

void File::add(const QStringList &fields)
{
    if (failed_)
        return;
    appendLine(buffer_, fields);
    if (buffer_.size() >= WriteChunk)
        handOn();
}

void File::lineAdded()
{
    if (failed_)
        buffer_.resize(0);
    else if (buffer_.size() >= WriteChunk)
        handOn();
}

bool File::awaitWriter()
{
    if (writer_.valid() && !writer_.get())
        failed_ = true;
    return !failed_;
}

void File::handOn()
{
    if (awaitWriter() && !buffer_.isEmpty()) {
        std::swap(buffer_, writing_);
        try {
            writer_ = std::async(std::launch::async, [this] {
                if (!file_.write(writing_))
                    return false;
                file_.startWriteback();
                return true;
            });
        } catch (const std::system_error &) {
            // No thread to be had: this piece is written here and now.
            failed_ = !file_.write(writing_);
        }
    }
    buffer_.resize(0); // keeps its room for the next piece
}

bool File::commit()
{
    handOn();
    if (!awaitWriter() || !file_.finish() || !file_.commit()) {
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
