#include "services/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The table of every character code page 932 holds, made at build time
// (cmake/tools/cp932table.cpp): for a character c,
// kBlocks[kBlockOf[c >> 8]][c & 0xFF] is 0 when the code page cannot hold
// it, below 0x100 for one byte, else lead * 256 + trail.
namespace tolvane::cp932table {
extern const std::uint8_t kBlockOf[256];
extern const std::uint16_t kBlocks[][256];
extern const char32_t kDroppedFirst;
extern const char32_t kDroppedLast;
}  // namespace tolvane::cp932table

namespace tolvane {
namespace {

// Most of a drawing is ASCII: runs of kRun units are checked and copied
// together. True when the run at in is all ASCII and is now at out.
constexpr qsizetype kRun = 16;

#if defined(__SSE2__)
bool copyAsciiRun(const char16_t* in, char* out)
{
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
    const __m128i beyondAscii = _mm_and_si128(_mm_or_si128(first, second), _mm_set1_epi16(static_cast<short>(0xFF80)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(beyondAscii, _mm_setzero_si128())) != 0xFFFF)
        return false;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(first, second));
    return true;
}
#else
bool copyAsciiRun(const char16_t* __restrict in, char* __restrict out)
{
    char16_t bits = 0;
    for (qsizetype k = 0; k < kRun; ++k)
        bits |= in[k];
    if (bits >= 0x80)
        return false;
    for (qsizetype k = 0; k < kRun; ++k)
        out[k] = static_cast<char>(in[k]);
    return true;
}
#endif

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of in; skip(in, left) tells how many input bytes a
    // character that cannot be converted occupies, replaced by one '?'.
    template <typename Skip>
    QByteArray run(const QByteArray& input, Skip skip)
    {
        QByteArray out;
        if (!ok())
            return out;
        out.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.constData());
        size_t inLeft = static_cast<size_t>(input.size());
        char* dst = out.data();
        size_t outLeft = static_cast<size_t>(out.size());
        auto grow = [&] {
            const auto used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            outLeft = static_cast<size_t>(out.size() - used);
        };
        while (inLeft > 0) {
            const size_t r = iconv(cd_, &in, &inLeft, &dst, &outLeft);
            if (r != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                grow();
                continue;
            }
            // EILSEQ or EINVAL: replace one input character.
            if (outLeft < 1)
                grow();
            *dst++ = '?';
            --outLeft;
            const size_t n = std::min(inLeft, skip(in, inLeft));
            in += n;
            inLeft -= n;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        iconv(cd_, nullptr, nullptr, &dst, &outLeft);
        out.resize(dst - out.data());
        return out;
    }

private:
    iconv_t cd_;
};

size_t cp932Length(const char* p, size_t left)
{
    const auto c = static_cast<unsigned char>(*p);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return lead && left >= 2 ? 2 : 1;
}

}  // namespace

QByteArray encodeCp932(QStringView text)
{
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    // No character takes more than two bytes.
    QByteArray out(2 * size, Qt::Uninitialized);
    char* dst = out.data();
    qsizetype i = 0;
    while (i < size) {
        while (i + kRun <= size && copyAsciiRun(in + i, dst)) {
            i += kRun;
            dst += kRun;
        }
        if (i == size)
            break;
        const char16_t c = in[i++];
        if (c < 0x80) {
            *dst++ = static_cast<char>(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i < size && QChar::isLowSurrogate(in[i])) {
            // Beyond the basic plane code page 932 holds nothing; the
            // converter this table comes from drops a few characters whole.
            const char32_t wide = QChar::surrogateToUcs4(c, in[i++]);
            if (wide < cp932table::kDroppedFirst || wide > cp932table::kDroppedLast)
                *dst++ = '?';
            continue;
        }
        const std::uint16_t code = cp932table::kBlocks[cp932table::kBlockOf[c >> 8]][c & 0xFF];
        if (code == 0) {
            *dst++ = '?';
        } else if (code < 0x100) {
            *dst++ = static_cast<char>(code);
        } else {
            *dst++ = static_cast<char>(code >> 8);
            *dst++ = static_cast<char>(code & 0xFF);
        }
    }
    out.truncate(dst - out.constData());
    return out;
}

QString decodeCp932(const QByteArray& bytes)
{
    Converter conv("UTF-8", "CP932");
    return QString::fromUtf8(conv.run(bytes, cp932Length));
}

}  // namespace tolvane
