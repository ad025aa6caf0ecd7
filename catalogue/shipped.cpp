#include "catalogue/shipped.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace tolvane::catalogue {

const ShippedBytes* shippedSampleOfSize(qint64 size)
{
    for (const ShippedBytes& sample : shippedSamples()) {
        if (static_cast<std::size_t>(size) == sample.size)
            return &sample;
    }
    return nullptr;
}

// Read, not mapped: a file cut short meanwhile only fails the compare.
bool holdsSample(int fd, const ShippedBytes& sample)
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

}  // namespace tolvane::catalogue
