// Preloaded into the reader by the tests alone: reads of one file fail from
// an offset on, as on a failing disk. The file is the one whose path
// TOLVANE_READ_ERROR_FILE names, the offset TOLVANE_READ_ERROR_FROM; a read
// that reaches that byte fails with EIO, through any handle of the file.
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>  // FILE as the C library lays it out
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool failing(int fd, off_t at, size_t count)
{
    const char* file = std::getenv("TOLVANE_READ_ERROR_FILE");
    const char* from = std::getenv("TOLVANE_READ_ERROR_FROM");
    if (!file || !from || count == 0 || at < 0)
        return false;
    char handle[64];
    std::snprintf(handle, sizeof handle, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(handle, target, sizeof target - 1);
    if (length < 0)
        return false;
    target[length] = '\0';
    return std::strcmp(target, file) == 0 && at + static_cast<off_t>(count) > std::strtoll(from, nullptr, 10);
}

template <typename Call>
Call next(const char* name)
{
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    if (failing(fd, offset, count)) {
        errno = EIO;
        return -1;
    }
    return real(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) { return pread(fd, buffer, count, offset); }

ssize_t read(int fd, void* buffer, size_t count)
{
    static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    if (failing(fd, ::lseek(fd, 0, SEEK_CUR), count)) {
        errno = EIO;
        return -1;
    }
    return real(fd, buffer, count);
}

// The stream's own error, as the C library sets it when a read fails.
size_t fread(void* buffer, size_t size, size_t count, FILE* stream)
{
    static const auto real = next<size_t (*)(void*, size_t, size_t, FILE*)>("fread");
    if (failing(::fileno(stream), ::ftello(stream), size * count)) {
        errno = EIO;
        stream->_flags |= _IO_ERR_SEEN;
        return 0;
    }
    return real(buffer, size, count, stream);
}

}  // extern "C"
