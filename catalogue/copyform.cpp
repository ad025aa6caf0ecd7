#include "catalogue/copyform.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

namespace tolvane::catalogue {

const char kCreateRecordTable[] = "CREATE TABLE \"tolvane.record\" (\"name\" TEXT, \"value\" BLOB)";
const char kInsertRecord[] = "INSERT INTO \"tolvane.record\" VALUES (?, ?)";

namespace {

// Whether text holds word (in lower case), its ASCII letters read in either
// case, as SQLite reads a type's name.
bool holds(const char* text, const char* word)
{
    const std::size_t length = std::strlen(word);
    for (const char* p = text; *p; ++p) {
        std::size_t i = 0;
        while (i < length && p[i] != '\0' && (p[i] | 0x20) == word[i])
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

// The word of the list that text is, in any case; none for any other text.
template <std::size_t N>
const char* wordOf(const char* text, const char* const (&words)[N])
{
    for (const char* word : words) {
        if (text && sqlite3_stricmp(text, word) == 0)
            return word;
    }
    return nullptr;
}

// The place of word in the list, written as a digit; one past the list's
// end, which no reading takes, for a word not in it.
template <std::size_t N>
char placeOf(const char* word, const char* const (&words)[N])
{
    std::size_t i = 0;
    while (i < N && !(word && std::strcmp(word, words[i]) == 0))
        ++i;
    return static_cast<char>('0' + i);
}

// The word a digit of a packed value names in the list, none for a digit
// past its end (or for none at all).
template <std::size_t N>
const char* wordAt(char digit, const char* const (&words)[N])
{
    const auto i = static_cast<unsigned char>(digit - '0');
    return i < N ? words[i] : nullptr;
}

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Statement prepared(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    return Statement(stmt, sqlite3_finalize);
}

// A name as SQL quotes it, its quotes doubled, put piece by piece.
template <typename Put>
void putQuoted(std::string_view name, Put& put)
{
    put("\"");
    for (std::size_t quote; (quote = name.find('"')) != std::string_view::npos; name.remove_prefix(quote + 1)) {
        put(name.substr(0, quote + 1));
        put("\"");
    }
    put(name);
    put("\"");
}

// The statement that makes a table of these columns, put piece by piece:
// the writer's text is made of the pieces, and the check matches them
// against the text a copy holds without making one.
template <typename Column, typename Put>
void putCreateTable(std::string_view table, const Column* columns, std::size_t count, bool strict, Put& put)
{
    put("CREATE TABLE ");
    putQuoted(table, put);
    put(" (");
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            put(", ");
        putQuoted(columns[i].name, put);
        put(" ");
        put(columns[i].type);
        if (columns[i].collation) {
            put(" COLLATE ");
            put(columns[i].collation);
        }
    }
    put(")");
    if (strict)
        put(" STRICT");
}

// Pieces added to a text.
struct Appending {
    std::string& text;
    void operator()(std::string_view piece) { text.append(piece); }
};

// Pieces matched in order against a text, which they must make whole.
class Matching {
public:
    explicit Matching(std::string_view text) : rest_(text) {}
    void operator()(std::string_view piece)
    {
        same_ = same_ && rest_.starts_with(piece);
        if (same_)
            rest_.remove_prefix(piece.size());
    }
    bool whole() const { return same_ && rest_.empty(); }

private:
    std::string_view rest_;
    bool same_ = true;
};

// A text of the row, for as long as the row is the statement's.
std::string_view textOf(sqlite3_stmt* row, int c)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, c));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(row, c))) : std::string_view();
}

}  // namespace

const char* affinityWord(const char* declared)
{
    // SQLite's rules, the first that applies: a column declared without a
    // type has no affinity, one whose type meets no rule (even "") that of a
    // number.
    if (!declared)
        return "BLOB";
    if (holds(declared, "int"))
        return "INTEGER";
    if (holds(declared, "char") || holds(declared, "clob") || holds(declared, "text"))
        return "TEXT";
    if (holds(declared, "blob"))
        return "BLOB";
    if (holds(declared, "real") || holds(declared, "floa") || holds(declared, "doub"))
        return "REAL";
    return "NUMERIC";
}

const char* strictTypeWord(const char* declared)
{
    if (declared && sqlite3_stricmp(declared, "INT") == 0)
        return "INTEGER";
    return wordOf(declared, kStrictTypeWords);
}

const char* collationWord(const char* collation, bool* known)
{
    *known = !collation || collation[0] == '\0' || sqlite3_stricmp(collation, "BINARY") == 0;
    if (*known)
        return nullptr;
    const char* word = wordOf(collation, kCollationWords);
    *known = word != nullptr;
    return word;
}

std::string quotedName(const std::string& name)
{
    std::string out;
    Appending put{out};
    putQuoted(name, put);
    return out;
}

std::string createTable(const std::string& table, const std::vector<CopyColumn>& columns, bool strict)
{
    std::string sql;
    sql.reserve(64 + 32 * columns.size());
    Appending put{sql};
    putCreateTable(table, columns.data(), columns.size(), strict, put);
    return sql;
}

std::string packedTable(const std::vector<CopyColumn>& columns, bool strict)
{
    std::string packed(1, strict ? '1' : '0');
    for (const CopyColumn& column : columns) {
        packed += strict ? placeOf(column.type, kStrictTypeWords) : placeOf(column.type, kTypeWords);
        packed += column.collation ? static_cast<char>(placeOf(column.collation, kCollationWords) + 1) : '0';
        packed += column.declared ? '1' : '0';
        packed.append(column.name.c_str(), column.name.size() + 1);
        if (column.declared)
            packed.append(column.declared->c_str(), column.declared->size() + 1);
    }
    return packed;
}

const CopyRecord::Column* CopyRecord::column(const char* table, const char* name, int position) const
{
    const auto it = tables.find(std::string_view(table));
    if (it == tables.end())
        return nullptr;
    const Column* const first = columns.data() + it->second.first;
    const Column* const end = first + it->second.count;
    const auto at = static_cast<std::size_t>(position);
    if (position >= 0 && at < it->second.count && first[at].name == name)
        return first + at;
    for (const Column* column = first; column != end; ++column) {
        if (column->name == name)
            return column;
    }
    return nullptr;
}

namespace {

// The form packed in a table's row (as packedTable writes it, kept in bytes
// with a NUL after it), its columns added to columns; false when it is not
// of that form.
bool unpacked(const char* bytes, std::size_t size, bool& strict, std::vector<CopyRecord::Column>& columns)
{
    if (size == 0 || (bytes[0] != '0' && bytes[0] != '1'))
        return false;
    strict = bytes[0] == '1';
    const char* p = bytes + 1;
    const char* const end = bytes + size;
    // A text of the value, up to a NUL before its end, which p then passes.
    const auto text = [&](std::string_view& out) {
        const std::size_t length = std::strlen(p);
        out = std::string_view(p, length);
        p += length + 1;
        return p <= end;
    };
    // Room for every column the value can hold, with as few moves as a
    // vector's own growth.
    const std::size_t most = columns.size() + (size - 1) / 4;
    if (columns.capacity() < most)
        columns.reserve(std::max(most, 2 * columns.capacity()));
    while (p < end) {
        if (end - p < 3)
            return false;
        const char typeDigit = p[0], collationDigit = p[1], declaredDigit = p[2];
        p += 3;
        CopyRecord::Column& column = columns.emplace_back();
        column.type = strict ? wordAt(typeDigit, kStrictTypeWords) : wordAt(typeDigit, kTypeWords);
        const bool collated = collationDigit != '0';
        if (collated)
            column.collation = wordAt(static_cast<char>(collationDigit - 1), kCollationWords);
        std::string_view declared;
        if (!column.type || (collated && !column.collation) || (declaredDigit != '0' && declaredDigit != '1') ||
            !text(column.name) || (declaredDigit == '1' && !text(declared)))
            return false;
        if (declaredDigit == '1')
            column.declared = declared.data();
    }
    return true;
}

bool readRecord(sqlite3* db, CopyRecord& record)
{
    // The schema in the order it was made: the record, then every table of
    // the copy in the record's order, each by the statement that makes it and
    // by nothing else. No view, no trigger, no index, no other table, nothing
    // the statement could add.
    const Statement schema = prepared(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY rowid");
    // The next table's statement, when it is a table of that name; none else.
    const auto madeAs = [&](std::string_view name) -> std::optional<std::string_view> {
        sqlite3_stmt* row = schema.get();
        if (row && sqlite3_step(row) == SQLITE_ROW && textOf(row, 0) == "table" && textOf(row, 1) == name &&
            textOf(row, 2) == name && sqlite3_column_type(row, 3) == SQLITE_TEXT)
            return textOf(row, 3);
        return std::nullopt;
    };
    if (madeAs(kRecordTable) != kCreateRecordTable)
        return false;

    // Only now, the record known to be the table it should be, is it read:
    // the source, then the tables.
    const Statement rows = prepared(db, "SELECT \"name\", \"value\" FROM \"tolvane.record\"");
    sqlite3_stmt* row = rows.get();
    const auto typed = [&] {
        return sqlite3_column_type(row, 0) == SQLITE_TEXT && sqlite3_column_type(row, 1) == SQLITE_BLOB;
    };
    if (!row || sqlite3_step(row) != SQLITE_ROW || !typed())
        return false;
    const std::string_view key = textOf(row, 0);
    record.key = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    record.file.assign(static_cast<const char*>(sqlite3_column_blob(row, 1)),
                       static_cast<std::size_t>(sqlite3_column_bytes(row, 1)));
    int rc;
    while ((rc = sqlite3_step(row)) == SQLITE_ROW) {
        if (!typed())
            return false;
        const std::string_view name = textOf(row, 0);
        const auto* packed = static_cast<const char*>(sqlite3_column_blob(row, 1));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(row, 1));
        const std::optional<std::string_view> sql = madeAs(name);
        if (!sql || name.find('\0') != std::string_view::npos)
            return false;
        // The name and the packed form, each ended by a NUL.
        CopyRecord::Table table;
        table.bytes = std::make_unique_for_overwrite<char[]>(name.size() + size + 2);
        char* const bytes = table.bytes.get();
        std::memcpy(bytes, name.data(), name.size());
        bytes[name.size()] = '\0';
        char* const form = bytes + name.size() + 1;
        if (size > 0)
            std::memcpy(form, packed, size);
        form[size] = '\0';
        bool strict = false;
        table.first = record.columns.size();
        if (!unpacked(form, size, strict, record.columns))
            return false;
        table.count = record.columns.size() - table.first;
        Matching put(*sql);
        putCreateTable(name, record.columns.data() + table.first, table.count, strict, put);
        if (!put.whole() || !record.tables.emplace(std::string_view(bytes, name.size()), std::move(table)).second)
            return false;
    }
    return rc == SQLITE_DONE && sqlite3_step(schema.get()) == SQLITE_DONE;
}

}  // namespace

bool readCopyRecord(sqlite3* db, CopyRecord& record)
{
    record.tables.clear();
    record.columns.clear();
    if (readRecord(db, record))
        return true;
    // Nothing of a record that is not of the form is kept.
    record.tables.clear();
    record.columns.clear();
    return false;
}

}  // namespace tolvane::catalogue
