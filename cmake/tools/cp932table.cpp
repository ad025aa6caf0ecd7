// Writes the code page 932 table the program encodes with, taken once at
// build time from the system's converter, so that the program never loads a
// converter and encodes every character exactly as that converter does.
//
// The table maps each character of the basic plane to its bytes: 0 when code
// page 932 cannot hold it, below 0x100 for one byte, else lead * 256 + trail.
// Beyond the basic plane the converter holds no character; a few it drops
// without a trace, and those are written as one range.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string utf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// The bytes of one character, or false when the converter refuses it.
bool convert(iconv_t cd, char32_t c, std::string* bytes)
{
    std::string in = utf8(c);
    char out[8];
    char* inPtr = in.data();
    char* outPtr = out;
    size_t inLeft = in.size();
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
        return false;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    bytes->assign(out, static_cast<size_t>(outPtr - out));
    return true;
}

int fail(const char* why, char32_t c)
{
    std::fprintf(stderr, "cp932table: %s (U+%04X)\n", why, static_cast<unsigned>(c));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: cp932table <output.cpp>\n");
        return 2;
    }
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return fail("the system has no code page 932 converter", 0);

    std::vector<std::uint16_t> table(0x10000, 0);
    std::string bytes;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (!convert(cd, c, &bytes))
            continue;
        if (c < 0x80) {
            // The encoder copies these as they are.
            if (bytes != std::string(1, static_cast<char>(c)))
                return fail("an ASCII character is not its own byte", c);
            continue;
        }
        if (bytes.size() == 1 && bytes[0] != 0)
            table[c] = static_cast<unsigned char>(bytes[0]);
        else if (bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) >= 0x81)
            table[c] = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8
                                                  | static_cast<unsigned char>(bytes[1]));
        else
            return fail("a character of unexpected length", c);
    }
    char32_t droppedFirst = 1, droppedLast = 0;  // none
    for (char32_t c = 0x10000; c < 0x110000; ++c) {
        if (!convert(cd, c, &bytes))
            continue;
        if (!bytes.empty())
            return fail("a character beyond the basic plane has bytes", c);
        if (droppedFirst > droppedLast)
            droppedFirst = c;
        else if (c != droppedLast + 1)
            return fail("the dropped characters are not one range", c);
        droppedLast = c;
    }
    iconv_close(cd);

    // Two levels: blocks of 256 characters, the empty ones all shared as block 0.
    std::vector<int> blockOf(256, 0);
    std::vector<int> blocks{-1};
    for (int b = 0; b < 256; ++b) {
        for (int i = 0; i < 256; ++i) {
            if (table[b * 256 + i]) {
                blockOf[b] = static_cast<int>(blocks.size());
                blocks.push_back(b);
                break;
            }
        }
    }

    std::ofstream out(argv[1], std::ios::binary);
    out << "// Made at build time by cmake/tools/cp932table.cpp; do not edit.\n"
           "#include <cstdint>\n"
           "namespace tolvane::cp932table {\n"
           "extern const std::uint8_t kBlockOf[256] = {";
    for (int b = 0; b < 256; ++b)
        out << (b % 32 ? "" : "\n") << blockOf[b] << ',';
    out << "};\nextern const std::uint16_t kBlocks[" << blocks.size() << "][256] = {\n";
    char hex[8];
    for (int block : blocks) {
        out << '{';
        for (int i = 0; i < 256; ++i) {
            std::snprintf(hex, sizeof hex, "0x%X,", block < 0 ? 0 : table[block * 256 + i]);
            out << (i % 16 ? "" : "\n") << hex;
        }
        out << "},\n";
    }
    out << "};\nextern const char32_t kDroppedFirst = " << static_cast<unsigned>(droppedFirst)
        << ";\nextern const char32_t kDroppedLast = " << static_cast<unsigned>(droppedLast) << ";\n}\n";
    return out ? 0 : fail("cannot write the table", 0);
}
