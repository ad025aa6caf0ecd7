// Developer tool: looks at a catalogue file the way the program reads it.
//
//   tolvane-catalogue FILE          its format and its tables, one a line
//   tolvane-catalogue FILE TABLE    that table as CSV, every value as the
//                                   program shows it, text in double quotes
//
// A maker's Jet file is read through the same layer as in the program, so
// what this prints is what the window would list. Errors, running out of
// memory among them, go to stderr with exit status 1. The program's
// catalogue layer also starts this tool, with "--convert JETFILE OUTPUT KEY
// VALUE_BYTES ROWS COPY_BYTES", as its Jet reader.

#include "catalogue/catalogue.h"
#include "catalogue/jetcopy.h"
#include "catalogue/reader/jetreader.h"
#include "catalogue/reader/memorylimit.h"
#include "services/vberror.h"

#include <QCoreApplication>
#include <QFile>

#include <charconv>
#include <cstdio>
#include <cstring>

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
// gives its error alone.
void printTables(const QString& file)
{
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
    jetreader::watchMemoryLimit("", jetcopy::kOutOfMemory);
    jetreader::Caps caps{};
    if (!capOf(argv[5], caps.valueBytes) || !capOf(argv[6], caps.rows) || !capOf(argv[7], caps.copyBytes)) {
        std::fprintf(stderr, "usage: tolvane-catalogue --convert JETFILE OUTPUT KEY VALUE_BYTES ROWS COPY_BYTES\n");
        return jetcopy::kCannotWrite;
    }
    return jetreader::convert(argv[2], argv[3], argv[4], caps);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 1 + jetcopy::kConvertArguments && std::strcmp(argv[1], jetcopy::kConvertOption) == 0)
        return convert(argv);

    // Out of memory, the checker ends as on any other error.
    jetreader::watchMemoryLimit("tolvane-catalogue: ", 1);
    // The program folder, where the layer finds this tool as its Jet reader.
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
