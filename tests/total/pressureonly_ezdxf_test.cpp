// The saved pressure-only drawing as an independent DXF reader sees it:
// Debian's python3-ezdxf loads it and its audit finds nothing to fix.
#include "total/pressureonly.h"

#include "support/sandbox.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tolvane;
using tolvane::test::Sandbox;

namespace {

const char kPython[] = "/usr/bin/python3";

// Prints what the reader found, one fact a line, and exits 0 only when the
// audit reports neither errors nor fixes.
const char kScript[] = R"(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1], encoding="cp932")
auditor = doc.audit()
for e in auditor.errors:
    print("error:", e.message)
for f in auditor.fixes:
    print("fix:", f.message)
msp = doc.modelspace()
print("version:", doc.dxfversion)
print("encoding:", doc.encoding)
print("lines:", len(msp.query("LINE")))
print("texts:", len(msp.query("TEXT")))
print("layouts:", ",".join(doc.layouts.names()))
for t in msp.query("TEXT"):
    print("text:", t.dxf.text)
sys.exit(1 if auditor.has_errors or len(auditor.fixes) else 0)
)";

struct ReaderResult {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

ReaderResult readWithEzdxf(const QString& path)
{
    QProcess python;
    python.start(QString::fromLatin1(kPython), {QStringLiteral("-c"), QString::fromLatin1(kScript), path});
    ReaderResult result;
    if (!python.waitForFinished(60000)) {
        result.errors = QStringLiteral("python3 did not finish");
        return result;
    }
    result.exitCode = python.exitStatus() == QProcess::NormalExit ? python.exitCode() : -1;
    result.lines = QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(python.readAllStandardError());
    return result;
}

}  // namespace

TEST(PressureOnlyEzdxf, LoadsAndAuditsCleanWithJapaneseTitleAndValues)
{
    ASSERT_TRUE(QFileInfo::exists(QString::fromLatin1(kPython)));
    Sandbox sandbox;
    const QStringList values{QStringLiteral("50"),   QStringLiteral("5"),      QStringLiteral("12.5"),
                             QStringLiteral("45"),   QStringLiteral("32.5"),   QStringLiteral("123.45"),
                             QStringLiteral("0"),    QStringLiteral("456.7"),  QString()};
    const QString text = CreateDxfDataB(values, QStringLiteral("合計スプリング線図　Ａ型"));
    ASSERT_FALSE(text.isEmpty());
    const QString path = sandbox.root() + QStringLiteral("/Documents/合計.dxf");
    QString error;
    ASSERT_TRUE(saveDxf(path, text, &error)) << error.toStdString();

    const ReaderResult r = readWithEzdxf(path);
    EXPECT_EQ(r.exitCode, 0) << r.lines.join(QLatin1Char('\n')).toStdString() << r.errors.toStdString();
    EXPECT_EQ(r.lines.filter(QStringLiteral("error:")), QStringList());
    EXPECT_EQ(r.lines.filter(QStringLiteral("fix:")), QStringList());
    EXPECT_TRUE(r.lines.contains(QStringLiteral("version: AC1015")));
    EXPECT_TRUE(r.lines.contains(QStringLiteral("encoding: cp932")));
    EXPECT_TRUE(r.lines.contains(QStringLiteral("lines: 27")));
    EXPECT_TRUE(r.lines.contains(QStringLiteral("texts: 8")));
    EXPECT_TRUE(r.lines.contains(QStringLiteral("layouts: Model,レイアウト1")));
    EXPECT_EQ(r.lines.filter(QStringLiteral("text:")),
              (QStringList{QStringLiteral("text: 456.7"), QStringLiteral("text: 123.45"),
                           QStringLiteral("text: FREE LENGTH 50"), QStringLiteral("text: SET LENGTH 45"),
                           QStringLiteral("text: COMP.LENGTH 32.5"), QStringLiteral("text: 12.5 ST"),
                           QStringLiteral("text: 5"), QStringLiteral("text: 合計スプリング線図　Ａ型")}));
}

TEST(PressureOnlyEzdxf, LoadsCleanWithEmptyValues)
{
    Sandbox sandbox;
    const QString path = sandbox.root() + QStringLiteral("/Documents/empty.dxf");
    ASSERT_TRUE(saveDxf(path, CreateDxfDataB(QStringList(9, QString()), QStringLiteral(" "))));
    const ReaderResult r = readWithEzdxf(path);
    EXPECT_EQ(r.exitCode, 0) << r.lines.join(QLatin1Char('\n')).toStdString() << r.errors.toStdString();
    EXPECT_TRUE(r.lines.contains(QStringLiteral("texts: 8")));
}
