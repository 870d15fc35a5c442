#pragma once

#include <cstddef>
#include <memory>

#include <QByteArray>
#include <QByteArrayView>

// The checksum a save journal keeps of each file it replaces, and of itself. It only has to tell
// a whole temporary file from a torn or different one, so it is a fast non-cryptographic hash
// (XXH3, 128 bits). Journals written before it came keep Blake2b-256 and are still read.
enum class ChecksumKind { Blake2b256, Xxh3 };

class ContentChecksum
{
public:
    explicit ContentChecksum(ChecksumKind kind = ChecksumKind::Xxh3);
    ~ContentChecksum();
    ContentChecksum(const ContentChecksum &) = delete;
    ContentChecksum &operator=(const ContentChecksum &) = delete;

    void add(QByteArrayView bytes);
    // The checksum of everything added so far; more may still be added.
    QByteArray result() const;

    static QByteArray of(QByteArrayView bytes, ChecksumKind kind = ChecksumKind::Xxh3);

private:
    struct State;
    std::unique_ptr<State> state_;
};

class FileSystem;

// What an open file holds from where it stands to its end: its size and checksum; error holds
// the errno of a read that failed (size and checksum then say nothing).
struct ContentSum
{
    qint64 size = 0;
    QByteArray checksum;
    int error = 0;
};
ContentSum readContentSum(FileSystem &fs, int fd, ChecksumKind kind = ChecksumKind::Xxh3);
