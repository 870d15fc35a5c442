#include "output/csv_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>

#include <QFile>

#include "controls/progress.h"
#include "messages/io_error.h"
#include "output/csv_line.h"

using namespace Qt::StringLiterals;

namespace {

// Lines are handed to the file in pieces of this size, not one system call per line.
constexpr qsizetype WriteChunk = 1 << 20;
// Progress hears of every so many lines.
constexpr qint64 StepLines = 1024;

} // namespace

namespace csv {

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

bool ProgressCounter::report()
{
    // A file that did not say how many lines it holds is counted without a total.
    if (!cancelled_ && !progress_.step(done_, total_ > 0 ? std::max(total_, done_) : 0))
        cancelled_ = true;
    return !cancelled_;
}

File::File(const QString &path, ProgressCounter *counter, FileSystem &fs)
    : file_(path, NewFileMode, false, fs)
    , fs_(fs)
    , counter_(counter)
{
}

bool File::open()
{
    if (counter_ && counter_->cancelled()) {
        cancelled_ = failed_ = true;
        return false;
    }
    struct stat target;
    targetExisted_ = fs_.stat(QFile::encodeName(file_.target()).constData(), &target) == 0
        && S_ISREG(target.st_mode);
    buffer_.reserve(WriteChunk + 4096);
    writing_.reserve(WriteChunk + 4096);
    failed_ = !file_.open();
    return !failed_;
}

void File::expect(qint64 lines)
{
    if (counter_) {
        counter_->total_ += lines;
        if (!counter_->report())
            cancelled_ = failed_ = true;
    }
}

void File::counted()
{
    if (counter_ && ++counter_->done_ % StepLines == 0 && !counter_->report())
        cancelled_ = failed_ = true;
}

void File::add(const QStringList &fields)
{
    if (failed_)
        return;
    appendLine(buffer_, fields);
    lineAdded();
}

void File::lineAdded()
{
    if (!failed_)
        counted();
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

bool File::finish()
{
    if (finished_)
        return !failed_;
    finished_ = true;
    handOn();
    if (!awaitWriter() || !file_.finish()) {
        failed_ = true;
        file_.discard();
        return false;
    }
    return true;
}

bool File::commit()
{
    if (!finish())
        return false;
    // Only the folder's sync failed: the whole file is already in place.
    if (!file_.commit() && !file_.replaced()) {
        failed_ = true;
        file_.discard();
        return false;
    }
    return true;
}

QString File::errorMessage() const
{
    if (!failed_ || cancelled_)
        return {};
    QString text = u"\nCSVファイル「%1」を書き込めませんでした。\n理由: %2"_s.arg(
        file_.target(), systemReason(file_.error()));
    if (targetExisted_)
        text += u"\n元のファイルはそのまま残っています。"_s;
    return text;
}

} // namespace csv
