// Build step: turns the catalogue's CSV sources into one SQLite database file.
//
//   make_catalogue OUTPUT.mdb TABLE.csv...
//
// Every CSV file becomes one table named after the file (SWB.csv -> SWB), with
// the header's columns in their order and the rows in file order, so that a
// plain SELECT returns them as the catalogue lists them. NO and VERSION are
// text; every other column is a number and must read back as exactly the text
// the CSV holds ("20", "12.5"), because the program shows catalogue values as
// the number text of the stored value. Anything else fails the build.
//
// The database is written beside the output and renamed over it at the end,
// so a failed run never leaves a half-written catalogue in the program folder.

#include "services/numtext.h"
#include "services/vberror.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const QString& message)
{
    throw Failure(message.toStdString());
}

bool isTextColumn(const QString& name)
{
    return name == QLatin1String("NO") || name == QLatin1String("VERSION");
}

bool isPlainName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

struct Table {
    QString name;
    QStringList columns;
    QList<QStringList> rows;
};

Table readCsv(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(path + QStringLiteral(": cannot read"));
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        fail(path + QStringLiteral(": no header"));

    Table t;
    t.name = QFileInfo(path).completeBaseName();
    if (!isPlainName(t.name))
        fail(path + QStringLiteral(": the file name is not a table name"));
    t.columns = lines.first().split(QLatin1Char(','));
    QSet<QString> seen;
    for (const QString& c : t.columns) {
        if (!isPlainName(c) || seen.contains(c.toLower()))
            fail(path + QStringLiteral(": bad or repeated column name '") + c + QLatin1Char('\''));
        seen.insert(c.toLower());
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString where = path + QLatin1Char(':') + QString::number(i + 1);
        QStringList fields = lines[i].split(QLatin1Char(','));
        if (fields.size() != t.columns.size())
            fail(where + QStringLiteral(": wrong number of fields"));
        for (qsizetype c = 0; c < fields.size(); ++c) {
            if (fields[c].isEmpty())
                fail(where + QStringLiteral(": empty field ") + t.columns[c]);
            if (isTextColumn(t.columns[c]))
                continue;
            bool roundTrips = false;
            try {
                roundTrips = tolvane::dblText(tolvane::cdbl(fields[c])) == fields[c];
            } catch (const tolvane::VbError&) {
            }
            if (!roundTrips)
                fail(where + QStringLiteral(": '") + fields[c] + QStringLiteral("' is not a number in its shown form"));
        }
        t.rows.append(fields);
    }
    return t;
}

class Database {
public:
    explicit Database(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            fail(path + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db_)));
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const QString& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const QString text = QString::fromUtf8(message ? message : "?");
            sqlite3_free(message);
            fail(sql + QStringLiteral(": ") + text);
        }
    }

    void write(const Table& t)
    {
        QStringList defs;
        QStringList marks;
        for (const QString& c : t.columns) {
            // Text compares without regard to case, as in the copies made of the
            // maker's catalogue: 'swb6-10' finds the row of SWB6-10 in both.
            defs.append(QLatin1Char('"') + c + QLatin1Char('"') +
                        (isTextColumn(c) ? QStringLiteral(" TEXT COLLATE NOCASE")
                                         : QStringLiteral(" REAL")));
            marks.append(QStringLiteral("?"));
        }
        exec(QStringLiteral("CREATE TABLE \"") + t.name + QStringLiteral("\" (") + defs.join(QStringLiteral(", ")) +
             QStringLiteral(")"));
        const QByteArray insert = (QStringLiteral("INSERT INTO \"") + t.name + QStringLiteral("\" VALUES (") +
                                   marks.join(QStringLiteral(", ")) + QStringLiteral(")"))
                                      .toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, insert.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            fail(t.name + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db_)));
        for (const QStringList& row : t.rows) {
            sqlite3_reset(stmt);
            for (qsizetype c = 0; c < row.size(); ++c) {
                const int index = static_cast<int>(c) + 1;
                if (isTextColumn(t.columns[c])) {
                    const QByteArray utf8 = row[c].toUtf8();
                    sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
                } else {
                    sqlite3_bind_double(stmt, index, tolvane::cdbl(row[c]));
                }
            }
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                const QString text = QString::fromUtf8(sqlite3_errmsg(db_));
                sqlite3_finalize(stmt);
                fail(t.name + QStringLiteral(": ") + text);
            }
        }
        sqlite3_finalize(stmt);
    }

private:
    sqlite3* db_ = nullptr;
};

void build(const QString& output, const QStringList& sources)
{
    QList<Table> tables;
    QSet<QString> names;
    for (const QString& path : sources) {
        Table t = readCsv(path);
        if (names.contains(t.name.toLower()))
            fail(path + QStringLiteral(": table ") + t.name + QStringLiteral(" twice"));
        names.insert(t.name.toLower());
        tables.append(std::move(t));
    }

    const QString temp = output + QStringLiteral(".part");
    QFile::remove(temp);
    {
        Database db(temp);
        // A plain rollback journal: the program opens the file read-only, from
        // folders it may not write to, and needs no side files for that.
        db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        db.exec(QStringLiteral("BEGIN"));
        for (const Table& t : tables)
            db.write(t);
        db.exec(QStringLiteral("COMMIT"));
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temp).toStdString(), QFile::encodeName(output).toStdString(), error);
    if (error)
        fail(output + QStringLiteral(": ") + QString::fromStdString(error.message()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_catalogue OUTPUT.mdb TABLE.csv...\n");
        return 2;
    }
    QStringList sources;
    for (int i = 2; i < argc; ++i)
        sources.append(QFile::decodeName(argv[i]));
    const QString output = QFile::decodeName(argv[1]);
    try {
        build(output, sources);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_catalogue: %s\n", e.what());
        QFile::remove(output + QStringLiteral(".part"));
        return 1;
    }
    return 0;
}
