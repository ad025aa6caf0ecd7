#include "catalogue/shipped.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

extern const char tolvane_embedded_ZEKA_mdb[];
extern const std::size_t tolvane_embedded_ZEKA_mdb_size;
extern const char tolvane_embedded_ZEKA_D_mdb[];
extern const std::size_t tolvane_embedded_ZEKA_D_mdb_size;

namespace tolvane::catalogue {

namespace {

// Whether the file holds exactly these bytes; read through the handle, so
// the file compared is the file that was opened. Read, not mapped: a file
// cut short meanwhile only fails the compare.
bool holds(int fd, const ShippedBytes& sample)
{
    constexpr std::size_t kChunk = std::size_t(1) << 16;
    const std::unique_ptr<char[]> buffer(new char[kChunk]);  // as read, never cleared first
    std::size_t at = 0;
    while (at < sample.size) {
        const ssize_t n = ::pread(fd, buffer.get(), std::min(kChunk, sample.size - at), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || std::memcmp(buffer.get(), sample.data + at, static_cast<std::size_t>(n)) != 0)
            return false;
        at += static_cast<std::size_t>(n);
    }
    // Nothing more: the file may have grown since its size was looked at.
    char more;
    return ::pread(fd, &more, 1, static_cast<off_t>(at)) == 0;
}

}  // namespace

std::optional<ShippedBytes> shippedSampleOf(int fd, qint64 size)
{
    const ShippedBytes samples[] = {{tolvane_embedded_ZEKA_mdb, tolvane_embedded_ZEKA_mdb_size},
                                    {tolvane_embedded_ZEKA_D_mdb, tolvane_embedded_ZEKA_D_mdb_size}};
    for (const ShippedBytes& sample : samples) {
        if (static_cast<std::size_t>(size) == sample.size && holds(fd, sample))
            return sample;
    }
    return std::nullopt;
}

}  // namespace tolvane::catalogue
