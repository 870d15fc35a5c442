#pragma once

#include <future>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "store/atomic_file.h"

class Progress;

// The CSV files of every report, their bytes written by csv::LineWriter (csv_line.h).
namespace csv {

// One whole line of texts, as LineWriter writes them, appended to out or returned.
void appendLine(QByteArray &out, const QStringList &fields);
QByteArray line(const QStringList &fields);

// Adds up the lines of the files that go to one progress: each says how many it will hold
// (File::expect), and every line written counts to done of that growing total, so files written
// together show as one. Once progress says the user has cancelled, every file counting here stops.
class ProgressCounter
{
public:
    explicit ProgressCounter(Progress &progress)
        : progress_(progress)
    {
    }
    ProgressCounter(const ProgressCounter &) = delete;
    ProgressCounter &operator=(const ProgressCounter &) = delete;

    bool cancelled() const { return cancelled_; }

private:
    friend class File;
    // Tells progress how far the lines have got; false once cancelled.
    bool report();

    Progress &progress_;
    qint64 done_ = 0;
    qint64 total_ = 0;
    bool cancelled_ = false;
};

// A CSV file that replaces its target only when it has been written whole: lines are gathered
// and written to a temporary file beside the target, which commit() syncs and renames over it.
// Until then, and after any failure or a cancel, the old file stays as it was and nothing else is
// left.
// Each gathered piece is written by a thread of its own while the next is being made, so a long
// file costs about the longer of the two, not their sum.
class File
{
public:
    // counter adds this file's lines to a progress; nullptr when nobody is watching.
    File(const QString &path, ProgressCounter *counter, FileSystem &fs);

    bool open();
    // The number of lines this file will hold, for the progress shown; the lines of every file
    // of one ProgressCounter add up.
    void expect(qint64 lines);
    // After a failure further lines are dropped; commit() then reports it.
    void add(const QStringList &fields);
    // For lines made as bytes: write one to buffer() through a LineWriter, then call lineAdded().
    QByteArray &buffer() { return buffer_; }
    void lineAdded();
    // Writes out the rest and syncs the temporary file, leaving the target as it is: files that
    // go together are all finished before any of them replaces its own. false, and nothing
    // kept, after a failure or a cancel.
    bool finish();
    // finish(), when it has not been done, then the rename over the target.
    bool commit();

    // Names the file and says why in Japanese; empty when nothing failed or the user cancelled.
    QString errorMessage() const;
    bool cancelled() const { return cancelled_; }

private:
    // Hands the gathered piece to the writing thread, once it has written the one before.
    void handOn();
    // Waits for the writing thread; false when its piece failed.
    bool awaitWriter();
    // Counts a line added; stops the file when the user has cancelled.
    void counted();

    AtomicFile file_;
    FileSystem &fs_;
    QByteArray buffer_;
    QByteArray writing_; // the piece the thread writes; only it touches the file meanwhile
    bool targetExisted_ = false;
    bool failed_ = false;
    bool cancelled_ = false;
    bool finished_ = false;
    ProgressCounter *counter_;
    // Last, so that a file going away waits for its thread before anything else goes.
    std::future<bool> writer_;
};

// Writes path through a File that fill(File &) gives its lines, counted to progress when there is
// one: true once the whole file is in place; otherwise false, the old file kept and the reason
// (errorMessage) in error, empty when the user cancelled.
template <typename Fill>
bool write(const QString &path, QString *error, Progress *progress, FileSystem &fs, Fill fill)
{
    std::optional<ProgressCounter> counter;
    if (progress)
        counter.emplace(*progress);
    File file(path, counter ? &*counter : nullptr, fs);
    if (file.open()) {
        fill(file);
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorMessage();
    return false;
}

} // namespace csv
