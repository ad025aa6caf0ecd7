#pragma once
// The sample catalogue the program ships, fixed when the program is built.
// A catalogue file of the same bytes is the sample, and is read from the
// program's own copy of those bytes: the only catalogue SQLite reads in the
// program that the program did not make itself. Only the program carries
// the bytes: shippedSamples() is defined by the library that holds them
// (tolvane_sample), which the program and its tests link, and as none by
// the reader process, which reads every file through a copy. A program
// linked with neither does not link.

#include <QtGlobal>

#include <cstddef>
#include <span>

namespace tolvane::catalogue {

struct ShippedBytes {
    const char* data;
    std::size_t size;
    const char* digest;  // of the bytes (SHA-1, hex): which sample a file was found to be
};

// The sample files this program carries.
std::span<const ShippedBytes> shippedSamples();

// The sample file of that many bytes, if there is one.
const ShippedBytes* shippedSampleOfSize(qint64 size);

// Whether the open regular file fd holds exactly the sample's bytes, read
// through the handle.
bool holdsSample(int fd, const ShippedBytes& sample);

}  // namespace tolvane::catalogue
