#include "catalogue/reader/jetreader.h"

#include "catalogue/common.h"

#include <fcntl.h>
#include <mdbtools.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::reader {

namespace {

using namespace tolvane::catalogue;

// Jet stores its numbers little-endian, whatever the machine.
std::uint64_t littleEndian(const unsigned char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

double doubleAt(const unsigned char* p)
{
    const std::uint64_t bits = littleEndian(p, 8);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

float singleAt(const unsigned char* p)
{
    const auto bits = static_cast<std::uint32_t>(littleEndian(p, 4));
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::string wholeText(unsigned __int128 v)
{
    std::string out;
    do {
        out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    } while (v != 0);
    return out;
}

// The decimal whole / 10^scale as it is written out: no exponent, no
// trailing zeros after the point, no point without decimals, no "-0".
std::string decimalText(bool negative, unsigned __int128 whole, int scale)
{
    std::string digits = wholeText(whole);
    if (static_cast<int>(digits.size()) <= scale)
        digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    std::string text = digits.substr(0, digits.size() - static_cast<std::size_t>(scale));
    std::string decimals = digits.substr(digits.size() - static_cast<std::size_t>(scale));
    while (!decimals.empty() && decimals.back() == '0')
        decimals.pop_back();
    if (!decimals.empty())
        text += '.' + decimals;
    return negative && whole != 0 ? '-' + text : text;
}

// A Currency or Decimal value: stored as a number when the program's
// 15-digit number text of the nearest double is this very text (at most 15
// significant digits, and within the range that text has no exponent),
// else as the exact text itself, which SQLite keeps as it is.
void bindDecimal(sqlite3_stmt* row, int index, const std::string& text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    const std::size_t first = text.find_first_of("123456789");
    const std::size_t lastDigit = text.find_last_of("123456789");
    std::size_t significant = 0;
    for (std::size_t i = first; first != std::string::npos && i <= lastDigit; ++i)
        significant += text[i] != '.';
    const double magnitude = v < 0 ? -v : v;
    if (significant <= 15 && (magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e15)))
        sqlite3_bind_double(row, index, v);
    else
        sqlite3_bind_blob(row, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// The bytes a fixed-size value needs; 0 for the types of any length.
int fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
    case MDB_COMPLEX:
        return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
        return 8;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

// The Jet type names (as Access SQL spells them), kept as the declared
// types; each column of the copy has the affinity SQLite gives its name: TEXT
// and LONGTEXT that of text, every other one that of a number or of bytes, so
// values keep their kind.
const char* declaredType(int type)
{
    switch (type) {
    case MDB_BOOL:
        return "BIT";
    case MDB_BYTE:
        return "BYTE";
    case MDB_INT:
        return "SHORT";
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return "LONG";
    case MDB_MONEY:
        return "CURRENCY";
    case MDB_FLOAT:
        return "SINGLE";
    case MDB_DOUBLE:
        return "DOUBLE";
    case MDB_DATETIME:
        return "DATETIME";
    case MDB_TEXT:
        return "TEXT";
    case MDB_MEMO:
        return "LONGTEXT";
    case MDB_REPID:
        return "GUID";
    case MDB_NUMERIC:
        return "DECIMAL";
    case MDB_OLE:
        return "LONGBINARY";
    default:
        return "BINARY";
    }
}

// A column of the copy: its Jet type name as its declared type, and for text
// Jet's comparison, which ignores case.
CopyColumn copyColumn(const MdbColumn* col)
{
    const char* declared = declaredType(col->col_type);
    const bool text = col->col_type == MDB_TEXT || col->col_type == MDB_MEMO;
    return {col->name, declared, affinityWord(declared), text ? "NOCASE" : nullptr};
}

// One table being copied, for what its values may hold and what a cap names.
struct TableRead {
    MdbHandle* mdb;
    const Caps& caps;
    const char* name;
};

[[noreturn]] void valueOverCap(const TableRead& t)
{
    overCap(std::string("テーブル ") + t.name + " の値が上限 (" + std::to_string(t.caps.valueBytes) +
            " バイト) を超えるため読み込みを止めました");
}

// The library's own text of a Text or Memo value, in UTF-8: it undoes Jet 4's
// compressed Unicode, follows a memo onto its own pages, and converts Jet 3's
// code page. A memo chain that runs on or loops ends at its stored length,
// and that length is looked at first.
void bindText(const TableRead& t, sqlite3_stmt* row, int index, int type, const MdbField& field)
{
    MdbHandle* mdb = t.mdb;
    if (type == MDB_MEMO && field.siz >= 12) {
        // The stored length, without its flags, in bytes of at most two per
        // character: more than twice the cap is more than the cap in UTF-8.
        const std::uint64_t stored = littleEndian(mdb->pg_buf + field.start, 4) & 0x3fffffff;
        if (stored > 2 * static_cast<std::uint64_t>(t.caps.valueBytes))
            valueOverCap(t);
    }
    // Room for the longest UTF-8 a stored length within the check above can
    // give (four bytes for every two stored) and one byte over the cap.
    mdb_set_bind_size(mdb, type == MDB_MEMO ? 4 * static_cast<size_t>(t.caps.valueBytes) + 2 : 4096);
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, type, field.siz);
    if (!text)
        throw Failure{kDamaged};
    const std::size_t length = std::strlen(text);
    if (static_cast<long long>(length) > t.caps.valueBytes) {
        g_free(text);
        valueOverCap(t);
    }
    sqlite3_bind_text(row, index, text, static_cast<int>(length), SQLITE_TRANSIENT);
    g_free(text);
}

// The stored value itself, never the library's text of it: its number
// formatting is not the program's.
void bindValue(const TableRead& t, sqlite3_stmt* row, int index, const MdbColumn* col, const MdbField& field)
{
    MdbHandle* mdb = t.mdb;
    const int type = col->col_type;
    if (type == MDB_BOOL) {
        // A Yes/No value lives in the row's null mask: set is Yes (-1).
        sqlite3_bind_int(row, index, field.is_null ? 0 : -1);
        return;
    }
    if (field.is_null)
        return;  // NULL stays bound
    const int needed = fixedSize(type);
    if (field.siz < needed || field.start < 0 || field.start + field.siz > static_cast<int>(mdb->fmt->pg_size))
        throw Failure{kDamaged};
    const unsigned char* p = mdb->pg_buf + field.start;
    switch (type) {
    case MDB_BYTE:
        sqlite3_bind_int(row, index, p[0]);
        break;
    case MDB_INT:
        sqlite3_bind_int(row, index, static_cast<std::int16_t>(littleEndian(p, 2)));
        break;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        sqlite3_bind_int(row, index, static_cast<std::int32_t>(littleEndian(p, 4)));
        break;
    case MDB_MONEY: {
        // Ten-thousandths in a 64-bit whole number.
        const auto units = static_cast<std::int64_t>(littleEndian(p, 8));
        const bool negative = units < 0;
        const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
        bindDecimal(row, index, decimalText(negative, magnitude, 4));
        break;
    }
    case MDB_FLOAT:
        sqlite3_bind_double(row, index, static_cast<double>(singleAt(p)));
        break;
    case MDB_DOUBLE:
    case MDB_DATETIME:
        sqlite3_bind_double(row, index, doubleAt(p));
        break;
    case MDB_NUMERIC: {
        // A sign byte, then a 128-bit whole number as four 32-bit words,
        // the most significant first; the column gives the scale. (The
        // library's column keeps the scale under the name of the precision:
        // a Numeric (18, 0) column reads col_prec 0, col_scale 18.)
        unsigned __int128 whole = 0;
        for (int word = 0; word < 4; ++word)
            whole = (whole << 32) | littleEndian(p + 1 + 4 * word, 4);
        const int scale = col->col_prec > 0 && col->col_prec <= 28 ? col->col_prec : 0;
        bindDecimal(row, index, decimalText(p[0] & 0x80, whole, scale));
        break;
    }
    case MDB_REPID: {
        // {00000000-0000-0000-0000-000000000000}: the first three groups
        // little-endian, the last two as stored.
        static const char hex[] = "0123456789ABCDEF";
        static const int order[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15};
        std::string text = "{";
        for (int i : order) {
            if (i < 0) {
                text += '-';
                continue;
            }
            text += hex[p[i] >> 4];
            text += hex[p[i] & 15];
        }
        text += '}';
        sqlite3_bind_text(row, index, text.c_str(), -1, SQLITE_TRANSIENT);
        break;
    }
    case MDB_TEXT:
    case MDB_MEMO:
        bindText(t, row, index, type, field);
        break;
    case MDB_OLE:
        // Pictures and documents: never shown, so only their presence is kept.
        sqlite3_bind_zeroblob(row, index, 0);
        break;
    default:
        sqlite3_bind_blob(row, index, p, field.siz, SQLITE_TRANSIENT);
        break;
    }
}

// A table's definition, freed on every way out: by its owner from the
// moment it is read, so a definition found wrong goes too.
struct TableDefFree {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TableDef = std::unique_ptr<MdbTableDef, TableDefFree>;

TableDef readTableDef(MdbCatalogEntry* entry)
{
    TableDef t(mdb_read_table(entry));
    if (!t || !mdb_read_columns(t.get()) || t->num_cols == 0 || !t->columns || t->columns->len != t->num_cols)
        throw Failure{kDamaged};
    return t;
}

// The rows of a table, each handed to row() while it is the library's
// current row; the count is checked against the cap as it grows and against
// the definition at the end. The library ends a table quietly at a page it
// cannot read: a table that comes out shorter than its definition says is
// damaged, not short.
template <typename Row>
void eachRow(MdbTableDef* table, const char* name, const Caps& caps, Row&& row)
{
    if (static_cast<long long>(table->num_rows) > caps.rows)
        rowsOverCap(name, caps);
    mdb_rewind_table(table);
    long long rows = 0;
    while (mdb_fetch_row(table)) {
        if (++rows > caps.rows)
            rowsOverCap(name, caps);
        row();
    }
    if (rows != table->num_rows)
        throw Failure{kDamaged};
}

// The system catalogue is counted as every user table is: a file cut at a
// page boundary loses the catalogue's last rows, which the library would
// end quietly, listing fewer tables or none.
void checkSystemCatalogue(MdbHandle* mdb, const Caps& caps)
{
    MdbCatalogEntry entry{};
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = 2;  // where every Jet file keeps it
    std::snprintf(entry.object_name, sizeof entry.object_name, "MSysObjects");
    const TableDef def = readTableDef(&entry);
    eachRow(def.get(), entry.object_name, caps, [] {});
}

void copyTable(MdbHandle* mdb, MdbCatalogEntry* entry, CopyWriter& copy, const Caps& caps)
{
    const TableDef def = readTableDef(entry);
    MdbTableDef* table = def.get();
    std::vector<const MdbColumn*> columns;
    std::vector<CopyColumn> definitions;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
        columns.push_back(col);
        definitions.push_back(copyColumn(col));
    }
    copy.startTable(entry->object_name, definitions, false);

    const TableRead read{mdb, caps, entry->object_name};
    std::vector<MdbField> fields(table->num_cols);
    eachRow(table, entry->object_name, caps, [&] {
        // The row the library has just read is still on its page: crack it
        // again to reach the stored bytes.
        int start = 0;
        size_t size = 0;
        if (table->cur_row == 0 || mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &size) != 0)
            throw Failure{kDamaged};
        start &= 0x1fff;  // the offset without its flags
        if (mdb_crack_row(table, start, size, fields.data()) < 0)
            throw Failure{kDamaged};
        for (unsigned i = 0; i < table->num_cols; ++i)
            bindValue(read, copy.row(), static_cast<int>(i) + 1, columns[i], fields[i]);
        copy.endRow();
    });
}

void copyFile(MdbHandle* mdb, const char* output, const char* key, const char* recorded, const Caps& caps)
{
    // A file cut short ends inside a page.
    struct stat st {};
    if (::fstat(kReaderSourceFd, &st) != 0 || st.st_size % mdb->fmt->pg_size != 0)
        throw Failure{kDamaged};
    checkSystemCatalogue(mdb, caps);
    GPtrArray* catalog = mdb_read_catalog(mdb, MDB_TABLE);
    if (!catalog)
        throw Failure{kDamaged};
    CopyWriter copy(output, caps.copyBytes, key, recorded);
    int tables = 0;
    for (unsigned i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (mdb_is_user_table(entry)) {
            copyTable(mdb, entry, copy, caps);
            ++tables;
        }
    }
    // A catalogue without a table is a file that lost them.
    if (tables == 0)
        throw Failure{kDamaged};
    copy.finish();
}

// The system's reason the handed file cannot be read through its handle, in
// its first bytes (all of it: -1); 0 when they read.
int readError(long long bytes)
{
    std::vector<char> buffer(std::size_t(1) << 16);
    for (long long at = 0; bytes < 0 || at < bytes;) {
        const std::size_t wanted = bytes < 0 ? buffer.size() : std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(bytes - at));
        const ssize_t n = ::pread(kReaderSourceFd, buffer.data(), wanted, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        at += n;
    }
    return 0;
}

// A file that cannot be read, with the system's reason, as a file the user
// may not read is told.
int unreadable(int error)
{
    std::fprintf(stderr, "%s\n", std::strerror(error));
    return kUnreadable;
}

// The most of a file the library reads to open it: one page.
constexpr long long kHeaderBytes = 4096;

}  // namespace

int convertJet(const char* output, const char* key, const char* recorded, const Caps& caps)
{
    // Text of an Access 97 file is in the Japanese desktop's code page.
    setenv("MDB_JET3_CHARSET", "CP932", 1);
    setenv("MDB_ICONV", "UTF-8", 1);
    // The library opens a file by its name: the handle's, which the system
    // opens as the very file it names, even one removed or replaced since;
    // never the path.
    const std::string handle = "/proc/self/fd/" + std::to_string(kReaderSourceFd);
    MdbHandle* mdb = mdb_open(handle.c_str(), MDB_NOFLAGS);
    if (!mdb) {
        // A header that cannot be read, or a handle the system does not
        // name, is no unknown format.
        const Fd named(::open(handle.c_str(), O_RDONLY | O_CLOEXEC));
        const int error = named ? readError(kHeaderBytes) : errno;
        return error ? unreadable(error) : kUnrecognised;
    }
    struct Close {
        MdbHandle* m;
        ~Close() { mdb_close(m); }
    } closeFile{mdb};
    if (mdb->f->jet_version != MDB_VER_JET3 && mdb->f->jet_version != MDB_VER_JET4)
        return kUnrecognised;
    try {
        copyFile(mdb, output, key, recorded, caps);
    } catch (const Failure& f) {
        // The library reads a page it cannot read as one of zeros, or none:
        // what comes of it is no damage when its file said why.
        if (std::ferror(mdb->f->stream)) {
            const int error = readError(-1);
            return unreadable(error ? error : EIO);
        }
        return f.code;
    }
    return kConverted;
}

}  // namespace tolvane::reader
