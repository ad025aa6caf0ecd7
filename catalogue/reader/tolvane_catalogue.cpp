// Developer tool: looks at a catalogue file the way the program reads it.
//
//   tolvane-catalogue FILE          its format and its tables, one a line
//   tolvane-catalogue FILE TABLE    that table as CSV, every value as the
//                                   program shows it, text in double quotes
//
// A file is read through the same layer as in the program, so what this
// prints is what the window would list, and a file stops it at the same
// deadline. Errors, running out of memory among them, go to stderr with exit
// status 1. The program's catalogue layer also starts this tool, with
// "--convert FILE OUTPUT KEY VALUE_BYTES ROWS COPY_BYTES", as its reader.

#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "catalogue/fileformat.h"
#include "catalogue/reader/jetreader.h"
#include "catalogue/reader/memorylimit.h"
#include "catalogue/reader/sqlitereader.h"
#include "services/vberror.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/stat.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

using namespace tolvane;

namespace {

void writeLine(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

QString quotedField(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

// Text columns by their declared type, as SQLite tells text from numbers.
bool isTextType(const QString& type)
{
    return type.contains(QLatin1String("TEXT"), Qt::CaseInsensitive) ||
           type.contains(QLatin1String("CHAR"), Qt::CaseInsensitive) ||
           type.contains(QLatin1String("CLOB"), Qt::CaseInsensitive) ||
           type.compare(QLatin1String("GUID"), Qt::CaseInsensitive) == 0;
}

QString headerField(const QString& name)
{
    const bool plain = !name.contains(QLatin1Char(',')) && !name.contains(QLatin1Char('"')) &&
                       !name.contains(QLatin1Char('\n'));
    return plain ? name : quotedField(name);
}

// Nothing is printed before the whole answer is known: a file that fails
// gives its error alone. What it asks ends within one deadline, as a click does.
void printTables(const QString& file)
{
    const CatalogueDeadline deadline;
    const QString format = catalogueFormat(file);
    const QStringList tables = catalogueTables(file);
    writeLine(format);
    for (const QString& table : tables)
        writeLine(table);
}

void printTable(const QString& file, const QString& table)
{
    const CatalogueRecordset rs =
        runCatalogueQuery(file, QString(), QStringLiteral("SELECT * FROM [") + table + QStringLiteral("];"));
    QStringList header;
    for (const QString& name : rs.columns)
        header.append(headerField(name));
    writeLine(header.join(QLatin1Char(',')));
    for (const QStringList& row : rs.rows) {
        QStringList fields;
        for (qsizetype c = 0; c < row.size(); ++c) {
            const QString& value = row[c];
            fields.append(!value.isNull() && isTextType(rs.types.value(c)) ? quotedField(value) : value);
        }
        writeLine(fields.join(QLatin1Char(',')));
    }
}

// One cap of the command line: a whole number above zero.
bool capOf(const char* text, long long& cap)
{
    const char* end = text + std::strlen(text);
    return std::from_chars(text, end, cap).ptr == end && cap > 0;
}

int convert(char** argv)
{
    reader::watchMemoryLimit("", catalogue::kOutOfMemory);
    reader::Caps caps{};
    if (!capOf(argv[5], caps.valueBytes) || !capOf(argv[6], caps.rows) || !capOf(argv[7], caps.copyBytes)) {
        std::fprintf(stderr, "usage: tolvane-catalogue --convert FILE OUTPUT KEY VALUE_BYTES ROWS COPY_BYTES\n");
        return catalogue::kCannotWrite;
    }
    struct stat held {};
    if (::fstat(catalogue::kReaderSourceFd, &held) != 0 || !S_ISREG(held.st_mode)) {
        std::fprintf(stderr, "読み込むファイルが渡されていません\n");
        return catalogue::kUnreadable;
    }
    // The file handed on is read through its handle, never by its path, which
    // may name another file by now, or none.
    int error = 0;
    switch (catalogue::headerFormat(catalogue::kReaderSourceFd, &error)) {
    case catalogue::FileFormat::Sqlite:
        return reader::convertSqlite(argv[2], argv[3], argv[4], caps);
    case catalogue::FileFormat::Jet3:
    case catalogue::FileFormat::Jet4:
        return reader::convertJet(argv[3], argv[4], argv[2], caps);
    case catalogue::FileFormat::Unknown:
        break;
    }
    if (error != 0) {
        std::fprintf(stderr, "%s\n", std::strerror(error));
        return catalogue::kUnreadable;
    }
    return catalogue::kUnrecognised;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 1 + catalogue::kConvertArguments && std::strcmp(argv[1], catalogue::kConvertOption) == 0)
        return convert(argv);

    // Out of memory, the checker ends as on any other error.
    reader::watchMemoryLimit("tolvane-catalogue: ", 1);
    // The program folder, where the layer finds this tool as its reader.
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: tolvane-catalogue FILE [TABLE]\n");
        return 1;
    }
    try {
        const QString file = QFile::decodeName(argv[1]);
        if (argc == 2)
            printTables(file);
        else
            printTable(file, QString::fromLocal8Bit(argv[2]));
    } catch (const VbError& e) {
        const QByteArray message = (QStringLiteral("tolvane-catalogue: ") + e.description() +
                                    QStringLiteral(" (エラー番号 ") + QString::number(e.number()) + QStringLiteral(")\n"))
                                       .toUtf8();
        std::fwrite(message.constData(), 1, static_cast<size_t>(message.size()), stderr);
        return 1;
    }
    std::fflush(stdout);
    return std::ferror(stdout) ? 1 : 0;
}
