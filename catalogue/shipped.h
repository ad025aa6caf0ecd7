#pragma once
// The sample catalogue the program ships, fixed when the program is built.
// A catalogue file of the same bytes is the sample, and is read from the
// program's own copy of those bytes: the only catalogue SQLite reads in the
// program that the program did not make itself.

#include <QtGlobal>

#include <cstddef>
#include <optional>

namespace tolvane::catalogue {

struct ShippedBytes {
    const char* data;
    std::size_t size;
};

// The sample file that the open regular file fd (of size bytes) is, byte for
// byte; none when it is no sample file.
std::optional<ShippedBytes> shippedSampleOf(int fd, qint64 size);

}  // namespace tolvane::catalogue
