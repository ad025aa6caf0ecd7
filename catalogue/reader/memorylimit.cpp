#include "catalogue/reader/memorylimit.h"

#include "catalogue/jetcopy.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

namespace tolvane::jetreader {

namespace {

// Written before anything can fail: nothing is allocated on the way out.
// Until the limit is read, a failure still names the want of memory.
char gLine[256] = "メモリが足りないため読み込みを止めました\n";
int gExitCode = jetcopy::kOutOfMemory;

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

}  // namespace tolvane::jetreader

// The address sanitizer brings its own allocator, and its builds run the
// reader without the limit.
#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) noexcept
{
    void* block = __libc_malloc(size);
    if (!block && size != 0)
        tolvane::jetreader::memoryExhausted();
    return block;
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    void* block = __libc_calloc(count, size);
    if (!block && count != 0 && size != 0)
        tolvane::jetreader::memoryExhausted();
    return block;
}

void* realloc(void* block, std::size_t size) noexcept
{
    void* grown = __libc_realloc(block, size);
    if (!grown && size != 0)
        tolvane::jetreader::memoryExhausted();
    return grown;
}
}
#endif
