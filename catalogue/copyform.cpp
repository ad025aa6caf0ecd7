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

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Statement prepared(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    return Statement(stmt, sqlite3_finalize);
}

// A name as SQL quotes it, its quotes doubled.
void appendQuoted(std::string& sql, std::string_view name)
{
    sql += '"';
    for (std::size_t quote; (quote = name.find('"')) != std::string_view::npos; name.remove_prefix(quote + 1)) {
        sql.append(name.substr(0, quote + 1));
        sql += '"';
    }
    sql.append(name);
    sql += '"';
}

// What follows a column's quoted name in the statement that makes its table:
// its type word and its collation.
void appendType(std::string& sql, const char* type, const char* collation)
{
    sql += ' ';
    sql += type;
    if (collation) {
        sql += " COLLATE ";
        sql += collation;
    }
}

// What follows a column's quoted name, as appendType writes it, for each word
// of a table's list (STRICT or not) and each collation (0 for none): made
// once, for the check to match in one piece.
class TypeTexts {
public:
    TypeTexts()
    {
        for (const bool strict : {false, true}) {
            for (std::size_t word = 0; word < kWords; ++word) {
                for (std::size_t collation = 0; collation <= std::size(kCollationWords); ++collation)
                    appendType(texts_[strict][word][collation], strict ? kStrictTypeWords[word] : kTypeWords[word],
                               collation > 0 ? kCollationWords[collation - 1] : nullptr);
            }
        }
    }
    std::string_view of(bool strict, std::size_t word, std::size_t collation) const
    {
        return texts_[strict][word][collation];
    }

private:
    static constexpr std::size_t kWords = std::size(kTypeWords);
    static_assert(std::size(kStrictTypeWords) == kWords);
    std::string texts_[2][kWords][std::size(kCollationWords) + 1];
};

const TypeTexts& typeTexts()
{
    static const TypeTexts texts;
    return texts;
}

// A statement read in order against the pieces that should make it.
class Reading {
public:
    explicit Reading(std::string_view text) : rest_(text) {}
    // Whether the text goes on with these words, which it then passes.
    bool words(std::string_view words)
    {
        if (!rest_.starts_with(words))
            return false;
        rest_.remove_prefix(words.size());
        return true;
    }
    // Whether it goes on with the name as SQL quotes it: most names hold no
    // quote, and are one piece.
    bool quoted(std::string_view name)
    {
        if (!std::memchr(name.data(), '"', name.size())) {
            const std::size_t size = name.size() + 2;
            const char* const at = rest_.data();
            if (rest_.size() < size || at[0] != '"' || std::memcmp(at + 1, name.data(), name.size()) != 0 ||
                at[size - 1] != '"')
                return false;
            rest_.remove_prefix(size);
            return true;
        }
        if (!words("\""))
            return false;
        for (std::size_t quote; (quote = name.find('"')) != std::string_view::npos; name.remove_prefix(quote + 1)) {
            if (!words(name.substr(0, quote + 1)) || !words("\""))
                return false;
        }
        return words(name) && words("\"");
    }
    bool ended() const { return rest_.empty(); }

private:
    std::string_view rest_;
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
    appendQuoted(out, name);
    return out;
}

std::string createTable(const std::string& table, const std::vector<CopyColumn>& columns, bool strict)
{
    std::string sql = "CREATE TABLE ";
    sql.reserve(64 + 32 * columns.size());
    appendQuoted(sql, table);
    sql += " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            sql += ", ";
        appendQuoted(sql, columns[i].name);
        appendType(sql, columns[i].type, columns[i].collation);
    }
    sql += ')';
    if (strict)
        sql += " STRICT";
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

// Whether sql is the statement that makes the table name of the form packed
// in its row (as packedTable writes it, kept in bytes with a NUL after it),
// its columns then added to columns.
bool madeOf(std::string_view sql, std::string_view name, const char* bytes, std::size_t size,
            std::vector<CopyRecord::Column>& columns)
{
    if (size == 0 || (bytes[0] != '0' && bytes[0] != '1'))
        return false;
    const bool strict = bytes[0] == '1';
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
    const TypeTexts& types = typeTexts();
    Reading statement(sql);
    if (!statement.words("CREATE TABLE ") || !statement.quoted(name) || !statement.words(" ("))
        return false;
    for (bool first = true; p < end; first = false) {
        if (end - p < 3)
            return false;
        const auto word = static_cast<unsigned char>(p[0] - '0');
        const auto collation = static_cast<unsigned char>(p[1] - '0');
        const char declaredMark = p[2];
        p += 3;
        if (word >= std::size(kTypeWords) || collation > std::size(kCollationWords) ||
            (declaredMark != '0' && declaredMark != '1'))
            return false;
        CopyRecord::Column& column = columns.emplace_back();
        column.type = strict ? kStrictTypeWords[word] : kTypeWords[word];
        column.collation = collation > 0 ? kCollationWords[collation - 1] : nullptr;
        std::string_view declared;
        if (!text(column.name) || (declaredMark == '1' && !text(declared)))
            return false;
        if (declaredMark == '1')
            column.declared = declared.data();
        if ((!first && !statement.words(", ")) || !statement.quoted(column.name) ||
            !statement.words(types.of(strict, word, collation)))
            return false;
    }
    return statement.words(")") && (!strict || statement.words(" STRICT")) && statement.ended();
}

bool readRecord(sqlite3* db, CopyRecord& record)
{
    // The schema in the order it was made (a scan of it, as of the record,
    // goes by rowid): the record, then every table of the copy in the
    // record's order, each by the statement that makes it and by nothing
    // else. No view, no trigger, no index, no other table, nothing the
    // statement could add.
    const Statement schema = prepared(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema");
    // The next table's statement, when it is a table of that name; none else.
    const auto madeAs = [&](std::string_view name) -> std::optional<std::string_view> {
        sqlite3_stmt* row = schema.get();
        if (row && sqlite3_step(row) == SQLITE_ROW && textOf(row, 0) == "table" && textOf(row, 1) == name &&
            textOf(row, 2) == name)
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
        if (!sql)
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
        table.first = record.columns.size();
        if (!madeOf(*sql, name, form, size, record.columns))
            return false;
        table.count = record.columns.size() - table.first;
        if (!record.tables.emplace(std::string_view(bytes, name.size()), std::move(table)).second)
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
