// Turns the fixed fragments of the spring pressure diagram into data at
// build time, so the program never parses them: each fragment becomes runs
// of UTF-16 rows (CR LF included) between the rows that carry a value.
//
//   diagramfragments <output.cpp> <fragment file>...
//
// A fragment is UTF-8 text whose every row ends with CR LF; a row that is
// exactly "@Name" is filled with the diagram's value Name (a name the
// diagram does not know stops the compiler). Anything else malformed stops
// the build here.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool validUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

bool isName(const std::string& s)
{
    if (s.empty())
        return false;
    for (char c : s) {
        if (!(c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

// A row as the body of a UTF-16 literal; UTF-8 stays as it is, the compiler
// turns it into UTF-16.
std::string literalRow(const std::string& row)
{
    std::string out;
    for (char c : row) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
            out += octal;
        } else {
            out += c;
        }
    }
    return out + "\\r\\n";
}

int fail(const std::string& file, const char* why)
{
    std::fprintf(stderr, "diagramfragments: %s: %s\n", file.c_str(), why);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: diagramfragments <output.cpp> <fragment file>...\n");
        return 2;
    }
    std::ostringstream out;
    out << "// Made at build time by cmake/tools/diagramfragments.cpp; do not edit.\n"
           "#include \"diagram/diagramfragments.h\"\n\n"
           "namespace tolvane {\n"
           "namespace {\n"
           "using namespace std::string_view_literals;\n"
           "using V = SpringDiagram::Value;\n";
    for (int f = 2; f < argc; ++f) {
        const std::string file = argv[f];
        std::ifstream in(file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.good() && !in.eof())
            return fail(file, "cannot be read");
        if (!validUtf8(text))
            return fail(file, "not UTF-8");
        if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
            return fail(file, "no CR LF after the last row");
        out << "\n// " << file.substr(file.find_last_of('/') + 1) << "\n"
            << "constexpr DiagramPiece kFragment" << f - 2 << "[] = {\n";
        std::string run;
        auto endRun = [&] {
            if (!run.empty())
                out << run << "sv, -1},\n";
            run.clear();
        };
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find("\r\n", start);
            const std::string row = text.substr(start, end - start);
            start = end + 2;
            if (row.find_first_of("\r\n") != std::string::npos)
                return fail(file, "a row with a bare line end");
            if (!row.empty() && row[0] == '@') {
                if (!isName(row.substr(1)))
                    return fail(file, "a value row without a name");
                endRun();
                out << "    {{}, V::" << row.substr(1) << "},\n";
            } else {
                run += (run.empty() ? "    {u\"" : "\n     u\"") + literalRow(row) + "\"";
            }
        }
        endRun();
        out << "};\n";
    }
    out << "\n}  // namespace\n\n"
           "static_assert(" << argc - 2 << " == kDiagramFragmentCount, \"one file for each fragment\");\n"
           "const std::span<const DiagramPiece> kDiagramFragments[kDiagramFragmentCount] = {\n";
    for (int f = 2; f < argc; ++f)
        out << "    kFragment" << f - 2 << ",\n";
    out << "};\n\n}  // namespace tolvane\n";

    std::ofstream file(argv[1], std::ios::binary);
    file << out.str();
    return file ? 0 : fail(argv[1], "cannot be written");
}
