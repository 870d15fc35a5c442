#include "store/content_checksum.h"

#include <cerrno>
#include <variant>

#include <QCryptographicHash>

#include "store/file_read.h"
#include "store/file_system.h"

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

struct ContentChecksum::State
{
    std::variant<XXH3_state_t, QCryptographicHash> hash;

    explicit State(ChecksumKind kind)
        : hash(kind == ChecksumKind::Xxh3 ? decltype(hash)(std::in_place_type<XXH3_state_t>)
                                          : decltype(hash)(std::in_place_type<QCryptographicHash>,
                                              QCryptographicHash::Blake2b_256))
    {
        if (auto *xxh = std::get_if<XXH3_state_t>(&hash))
            XXH3_128bits_reset(xxh);
    }
};

ContentChecksum::ContentChecksum(ChecksumKind kind)
    : state_(std::make_unique<State>(kind))
{
}

ContentChecksum::~ContentChecksum() = default;

void ContentChecksum::add(QByteArrayView bytes)
{
    if (auto *xxh = std::get_if<XXH3_state_t>(&state_->hash))
        XXH3_128bits_update(xxh, bytes.data(), static_cast<size_t>(bytes.size()));
    else
        std::get<QCryptographicHash>(state_->hash).addData(bytes);
}

QByteArray ContentChecksum::result() const
{
    if (const auto *xxh = std::get_if<XXH3_state_t>(&state_->hash)) {
        XXH128_canonical_t canonical;
        XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(xxh));
        return QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical);
    }
    return std::get<QCryptographicHash>(state_->hash).result();
}

QByteArray ContentChecksum::of(QByteArrayView bytes, ChecksumKind kind)
{
    ContentChecksum checksum(kind);
    checksum.add(bytes);
    return checksum.result();
}

ContentSum readContentSum(FileSystem &fs, int fd, ChecksumKind kind)
{
    ContentSum sum;
    ContentChecksum hash(kind);
    std::unique_ptr<char[]> buffer(new char[ChunkBytes]);
    for (;;) {
        const ssize_t got = readFully(fs, fd, buffer.get(), ChunkBytes);
        if (got < 0) {
            sum.error = errno;
            return sum;
        }
        hash.add(QByteArrayView(buffer.get(), got));
        sum.size += got;
        if (static_cast<size_t>(got) < ChunkBytes)
            break;
    }
    sum.checksum = hash.result();
    return sum;
}
