#include "services/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace tolvane {
namespace {

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

size_t utf8Length(const char* p, size_t left)
{
    const auto c = static_cast<unsigned char>(*p);
    size_t n = 1;
    if (c >= 0xF0)
        n = 4;
    else if (c >= 0xE0)
        n = 3;
    else if (c >= 0xC0)
        n = 2;
    return std::max<size_t>(1, std::min(n, left));
}

size_t cp932Length(const char* p, size_t left)
{
    const auto c = static_cast<unsigned char>(*p);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return lead && left >= 2 ? 2 : 1;
}

}  // namespace

QByteArray encodeCp932(const QString& text)
{
    Converter conv("CP932", "UTF-8");
    return conv.run(text.toUtf8(), utf8Length);
}

QString decodeCp932(const QByteArray& bytes)
{
    Converter conv("UTF-8", "CP932");
    return QString::fromUtf8(conv.run(bytes, cp932Length));
}

}  // namespace tolvane
