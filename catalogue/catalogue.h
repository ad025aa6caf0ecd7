#pragma once
// The catalogue databases ZEKA.mdb (one table of sizes per series, and
// DB_VERSION) and ZEKA_D.mdb (one outer-diameter list per series). Either
// file is the maker's Access (Jet 3 or Jet 4) file, another SQLite file, or
// the sample's, told apart by its header and, for the sample, its bytes,
// never by its name. The program only ever reads them, and nothing is ever
// written beside them. Every choice in the window queries again, on a
// connection kept open per file and checked against the file (one stat)
// before each query: a changed file is opened anew. Any file but the sample
// is read through an SQLite copy that the reader process makes anew whenever
// the file changes.

#include "catalogue/common.h"
#include "services/vberror.h"

#include <QList>
#include <QtGlobal>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <initializer_list>

namespace tolvane {

struct CatalogueRecordset {
    QStringList columns;      // the result's columns (those kept), as the table declares them
    QStringList types;        // each column's declared type: a Jet file's keep their Jet type names
    // Every field as the program shows it: text as stored, a Single as its
    // 7-digit number text, a Currency (4 decimals) or Decimal (28 digits)
    // exactly, every other number as its 15-digit number text, a date as
    // "yyyy/MM/dd H:mm:ss", a Yes/No field as "True" or "False", NULL as a
    // null string (empty text is an empty, non-null string).
    QList<QStringList> rows;

    // Field of one row by name, case-insensitive; throws VbError(kErrInvalidCall)
    // for an unknown field and VbError(3021) "カレント レコードがありません。" for a
    // row that is not there (what reading past the last record gave).
    QString field(int row, QStringView name) const;
    // The field of every row; nothing for no rows, else the unknown-field
    // error as above.
    QStringList column(QStringView name) const;

private:
    qsizetype columnIndex(QStringView name) const;
};

// What moving to the first record of an empty result gave: 3021
// "カレント レコードがありません。".
VbError noCurrentRecord();

// Opens the database file read-only (a missing file is never created) and runs
// sql exactly as given; rows come in the order the query returns them (for a
// Jet file, the order the file stores them), text compares without regard
// to case. connect
// is the recordset's connect string (";DATABASE=ZEKA.mdb;pwd=..." or
// "Access 2000;"): parsed, but the password has no use with these files and is
// not checked. Throws VbError with the Access engine's number and a Japanese
// description: 3024 missing file, 3044 missing folder, 3051 file not openable
// (or a file not read this time: the reader's deadline, a limit of the
// user's, a signal from outside, no copy written), 3343 not a database, 3049
// damaged database (or one the reader crashed on), 3045 file in use, 3078
// missing table, 3061 unknown field in the query, 3075 syntax error, 3142
// text after the statement, 3219 not a row-returning query, 3170 foreign
// connect type (or no reader), 13 a field that cannot be text, 6 a number
// with no number text (an infinity), a Single out of its range or a date
// outside 100/01/01 to 9999/12/31. A value, a table, a copy or a result over
// its cap, or a file that makes SQLite pass the reader's memory bound, makes
// the file too large to read (3051, naming the cap); a file that cannot be
// read is 3051 with the system's reason; an SQLite file that holds anything
// but tables of values (a view, a trigger, a generated column, a virtual
// table), a value its copy could not keep as stored or a collation SQLite
// does not build in, or that SQLite finds malformed, is damage (3049); a
// limit of the user's on memory that stops SQLite is 3051. An SQLite file with changes still in its
// "-wal" file, or with a hot "-journal" (another program writing it, or one
// that died while it wrote), and any file that changes while its copy is
// made, is refused as in use (3045): its copy would show the rows from
// before those changes, or half of one.
// Of each row only the fields named in keep are held (all of them when it
// is empty): a caller that lists one field holds no more than that, however
// wide the table. A field named there that the result lacks is unknown to
// field() and column() as above.
// values are bound to the parameters ("?") of sql in turn, so a number read
// from a catalogue reaches a query only as a value: sql holds exactly as
// many (fewer values: 3061, more: kErrInvalidCall).
// The query, with the copy it may wait for, ends within the deadline of the
// action it is part of (CatalogueDeadline), or one of its own: a query on a
// copy stopped there fails with 3051, the deadline named.
CatalogueRecordset runCatalogueQuery(const QString& databasePath, const QString& connect, const QString& sql,
                                     std::initializer_list<QStringView> keep = {},
                                     std::initializer_list<double> values = {});

// DB_VERSION.VERSION of the catalogue ("select VERSION from DB_VERSION"); with
// several rows the last one's, with none "". Throws VbError as above.
QString readDatabaseVersion(const QString& databasePath);

// "Jet 3", "Jet 4" or "SQLite", from the file's header; throws VbError as above.
QString catalogueFormat(const QString& databasePath);
// The catalogue's tables in the order the file stores them.
QStringList catalogueTables(const QString& databasePath);

// Closes every file the layer keeps open; the next query opens it again.
void closeCatalogues();

// Smaller caps (CatalogueCaps) make the checks testable on small files;
// {} the usual ones again.
void setCatalogueCaps(const CatalogueCaps& caps);

}  // namespace tolvane
