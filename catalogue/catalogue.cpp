#include "catalogue/catalogue.h"

#include "catalogue/connection.h"
#include "catalogue/fileformat.h"
#include "catalogue/copies.h"
#include "services/vberror.h"

#include <sys/stat.h>

namespace tolvane {

namespace {

// The connect string names the engine first (";..." or "Access 2000;"), then
// key=value pairs. Its DATABASE is ignored: the path we are given names the
// file, so a connect string cannot point a query at another one; the password
// protects nothing in our files. Only an engine other than Access is refused,
// with "no installable ISAM": nothing here reads another engine's files.
void checkConnect(const QString& connect)
{
    const QString type = connect.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!type.isEmpty() && !type.startsWith(QLatin1String("Access"), Qt::CaseInsensitive))
        throw catalogue::noIsam();
}

}  // namespace

VbError noCurrentRecord() { return VbError(catalogue::kJetNoCurrentRecord, QStringLiteral("カレント レコードがありません。")); }

qsizetype CatalogueRecordset::columnIndex(QStringView name) const
{
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (QStringView(columns[c]).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    throw VbError(kErrInvalidCall);
}

QString CatalogueRecordset::field(int row, QStringView name) const
{
    if (row < 0 || row >= rows.size())
        throw noCurrentRecord();
    return rows[row].value(columnIndex(name));
}

QStringList CatalogueRecordset::column(QStringView name) const
{
    QStringList out;
    if (rows.isEmpty())
        return out;
    const qsizetype c = columnIndex(name);
    out.reserve(rows.size());
    for (const QStringList& row : rows)
        out.append(row.value(c));
    return out;
}

CatalogueRecordset runCatalogueQuery(const QString& databasePath, const QString& connect, const QString& sql,
                                     std::initializer_list<QStringView> keep, std::initializer_list<double> values)
{
    // Within the deadline of the action it is part of, or one of its own.
    const CatalogueDeadline deadline;
    checkConnect(connect);
    return catalogue::runOnKeptConnection(databasePath, sql, keep, values);
}

QString readDatabaseVersion(const QString& databasePath)
{
    const CatalogueRecordset rs = runCatalogueQuery(databasePath, QString(), QStringLiteral("select VERSION from DB_VERSION"));
    // Every row overwrote the version in turn; the last one stays.
    return rs.rows.isEmpty() ? QString() : rs.field(static_cast<int>(rs.rows.size()) - 1, u"Version");
}

QString catalogueFormat(const QString& databasePath)
{
    struct stat st {};
    const catalogue::Fd fd = catalogue::openCatalogueFile(catalogue::existingFile(databasePath, st), databasePath, st);
    switch (catalogue::headerFormat(fd.get(), databasePath)) {
    case catalogue::FileFormat::Sqlite:
        return QStringLiteral("SQLite");
    case catalogue::FileFormat::Jet3:
        return QStringLiteral("Jet 3");
    case catalogue::FileFormat::Jet4:
        return QStringLiteral("Jet 4");
    case catalogue::FileFormat::Unknown:
        break;
    }
    throw catalogue::unrecognisedFormat(databasePath);
}

QStringList catalogueTables(const QString& databasePath)
{
    // The schema lists the tables in the order they were made, which for a
    // Jet copy is the order of the Jet file's own catalogue; a copy's record
    // (copyform.h) is none of the file's.
    return runCatalogueQuery(databasePath, QString(),
                             QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                            "'sqlite!_%' ESCAPE '!' AND name <> 'tolvane.record' ORDER BY rowid"))
        .column(u"name");
}

}  // namespace tolvane
