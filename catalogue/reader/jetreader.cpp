#include "catalogue/reader/jetreader.h"

#include "catalogue/jetcopy.h"

#include <mdbtools.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tolvane::jetreader {

namespace {

using namespace tolvane::jetcopy;

struct Failure {
    int code;
};

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

// The double nearest to a decimal number given as digits and a power of ten:
// exact for every Currency and Decimal value that has one.
double decimalValue(const std::string& digits, int scale)
{
    const std::string text = digits + "e-" + std::to_string(scale);
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
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

// The Jet type names (as Access SQL spells them) kept as the declared types;
// SQLite takes TEXT and LONGTEXT as text, every other one as a number or
// bytes, so values keep their kind.
std::string declaredType(int type)
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
        return "TEXT COLLATE NOCASE";
    case MDB_MEMO:
        return "LONGTEXT COLLATE NOCASE";
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

std::string quotedName(const char* name)
{
    std::string out = "\"";
    for (const char* p = name; *p; ++p) {
        out += *p;
        if (*p == '"')
            out += '"';
    }
    return out + '"';
}

class Copy {
public:
    explicit Copy(const char* path)
    {
        if (sqlite3_open_v2(path, &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw Failure{kCannotWrite};
        // A file nobody sees before it is complete: no journal, no syncing.
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    }
    ~Copy()
    {
        sqlite3_finalize(insert_);
        sqlite3_close(db_);
    }
    Copy(const Copy&) = delete;
    Copy& operator=(const Copy&) = delete;

    void exec(const std::string& sql)
    {
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail();
    }

    void startTable(const std::string& create, const std::string& insert)
    {
        sqlite3_finalize(insert_);
        insert_ = nullptr;
        exec(create);
        if (sqlite3_prepare_v2(db_, insert.c_str(), -1, &insert_, nullptr) != SQLITE_OK)
            fail();
    }
    sqlite3_stmt* row() const { return insert_; }
    void endRow()
    {
        if (sqlite3_step(insert_) != SQLITE_DONE)
            fail();
        sqlite3_reset(insert_);
        sqlite3_clear_bindings(insert_);
    }
    void finish()
    {
        sqlite3_finalize(insert_);
        insert_ = nullptr;
        exec("COMMIT");
    }

private:
    // A full disk is the copy's fault; anything else (a repeated column
    // name, say) comes from what the Jet file said.
    [[noreturn]] void fail() const
    {
        switch (sqlite3_errcode(db_) & 0xff) {
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
        case SQLITE_NOMEM:
            throw Failure{kCannotWrite};
        default:
            throw Failure{kDamaged};
        }
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
};

// The library's own text of a Text or Memo value, in UTF-8: it undoes Jet 4's
// compressed Unicode, follows a memo onto its own pages, and converts Jet 3's
// code page.
void bindText(MdbHandle* mdb, sqlite3_stmt* row, int index, int type, const MdbField& field)
{
    // A memo may run to megabytes; a Text field holds at most 255 characters.
    mdb_set_bind_size(mdb, type == MDB_MEMO ? (1u << 22) : 4096);
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, type, field.siz);
    if (!text)
        throw Failure{kDamaged};
    sqlite3_bind_text(row, index, text, -1, SQLITE_TRANSIENT);
    g_free(text);
}

// The stored value itself, never the library's text of it: its number
// formatting is not the program's.
void bindValue(MdbHandle* mdb, sqlite3_stmt* row, int index, const MdbColumn* col, const MdbField& field)
{
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
        sqlite3_bind_double(row, index, (negative ? -1 : 1) * decimalValue(wholeText(magnitude), 4));
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
        sqlite3_bind_double(row, index, ((p[0] & 0x80) ? -1 : 1) * decimalValue(wholeText(whole), scale));
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
        bindText(mdb, row, index, type, field);
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

void copyTable(MdbHandle* mdb, MdbCatalogEntry* entry, Copy& copy)
{
    MdbTableDef* table = mdb_read_table(entry);
    if (!table)
        throw Failure{kDamaged};
    struct Free {
        MdbTableDef* t;
        ~Free() { mdb_free_tabledef(t); }
    } freeTable{table};
    if (!mdb_read_columns(table) || table->num_cols == 0 || !table->columns ||
        table->columns->len != table->num_cols)
        throw Failure{kDamaged};

    std::string create = "CREATE TABLE " + quotedName(entry->object_name) + " (";
    std::string insert = "INSERT INTO " + quotedName(entry->object_name) + " VALUES (";
    std::vector<const MdbColumn*> columns;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
        columns.push_back(col);
        create += (i ? ", " : "") + quotedName(col->name) + ' ' + declaredType(col->col_type);
        insert += i ? ", ?" : "?";
    }
    copy.startTable(create + ')', insert + ')');

    std::vector<MdbField> fields(table->num_cols);
    mdb_rewind_table(table);
    unsigned rows = 0;
    while (mdb_fetch_row(table)) {
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
            bindValue(mdb, copy.row(), static_cast<int>(i) + 1, columns[i], fields[i]);
        copy.endRow();
        ++rows;
    }
    // The library ends a table quietly at a page it cannot read: a table
    // that comes out shorter than its definition says is damaged, not short.
    if (rows != table->num_rows)
        throw Failure{kDamaged};
}

}  // namespace

int convert(const char* jetFile, const char* output)
{
    // Text of an Access 97 file is in the Japanese desktop's code page.
    setenv("MDB_JET3_CHARSET", "CP932", 1);
    setenv("MDB_ICONV", "UTF-8", 1);
    MdbHandle* mdb = mdb_open(jetFile, MDB_NOFLAGS);
    if (!mdb)
        return kNotJet;
    struct Close {
        MdbHandle* m;
        ~Close() { mdb_close(m); }
    } closeFile{mdb};
    if (mdb->f->jet_version != MDB_VER_JET3 && mdb->f->jet_version != MDB_VER_JET4)
        return kNotJet;
    try {
        // A file cut short ends inside a page.
        struct stat st {};
        if (::stat(jetFile, &st) != 0 || st.st_size % mdb->fmt->pg_size != 0)
            return kDamaged;
        GPtrArray* catalog = mdb_read_catalog(mdb, MDB_TABLE);
        if (!catalog)
            return kDamaged;
        Copy copy(output);
        for (unsigned i = 0; i < catalog->len; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
            if (mdb_is_user_table(entry))
                copyTable(mdb, entry, copy);
        }
        copy.finish();
    } catch (const Failure& f) {
        return f.code;
    }
    return kConverted;
}

}  // namespace tolvane::jetreader
