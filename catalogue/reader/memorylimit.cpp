#include "catalogue/reader/memorylimit.h"

#include "catalogue/common.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>

namespace tolvane::reader {

namespace {

// Written before anything can fail: nothing is allocated on the way out.
// Until the limit is read, a failure still names the want of memory.
char gLine[256] = "メモリが足りないため読み込みを止めました\n";
int gExitCode = catalogue::kOutOfMemory;

}  // namespace

void watchMemoryLimit(const char* prefix, int exitCode)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        std::snprintf(gLine, sizeof gLine, "%sメモリが上限 (%llu バイト) に達したため読み込みを止めました\n", prefix,
                      static_cast<unsigned long long>(limit.rlim_cur));
    else
        std::snprintf(gLine, sizeof gLine, "%sメモリが足りないため読み込みを止めました\n", prefix);
    gExitCode = exitCode;
}

[[noreturn]] void memoryExhausted()
{
    std::size_t length = 0;
    while (gLine[length] != '\0')
        ++length;
    if (::write(STDERR_FILENO, gLine, length) < 0)
        ::_exit(gExitCode);
    ::_exit(gExitCode);
}

}  // namespace tolvane::reader

// The address sanitizer brings its own allocator, and its builds run the
// reader without the limit. Every way the C library hands out memory is
// watched, the aligned ones too: glib's slice allocator, which the Jet
// library's lists and tables use, takes its blocks through posix_memalign
// and aborts when one is refused.
#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);

namespace {

// A block refused when memory was asked for ends the process. It runs on
// every allocation: inlined, with the block looked at first.
[[gnu::always_inline]] inline void* watched(void* block, bool asked)
{
    if (!block) [[unlikely]] {
        if (asked)
            tolvane::reader::memoryExhausted();
    }
    return block;
}

}  // namespace

void* malloc(std::size_t size) noexcept { return watched(__libc_malloc(size), size != 0); }

void* calloc(std::size_t count, std::size_t size) noexcept
{
    return watched(__libc_calloc(count, size), count != 0 && size != 0);
}

void* realloc(void* block, std::size_t size) noexcept { return watched(__libc_realloc(block, size), size != 0); }

void* memalign(std::size_t alignment, std::size_t size) noexcept
{
    return watched(__libc_memalign(alignment, size), size != 0);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept { return memalign(alignment, size); }

int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept
{
    // A power of two, and a whole number of pointers, as the C library asks.
    if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void* aligned = memalign(alignment, size);
    if (!aligned)
        return ENOMEM;
    *block = aligned;
    return 0;
}

void* valloc(std::size_t size) noexcept { return watched(__libc_valloc(size), size != 0); }

void* pvalloc(std::size_t size) noexcept { return watched(__libc_pvalloc(size), true); }
}
#endif
