// The saved drawings as a CAD reader sees them: Debian's python3-ezdxf loads
// them and audits every table, handle and owner.
#include "total/dxftemplate.h"
#include "total/pressureonly.h"
#include "total/totalallvalues.h"

#include "diagram/diagram_fixtures.h"

#include <gtest/gtest.h>

using namespace tolvane;

TEST(TotalDrawings, LoadInEzdxfWithACleanAudit)
{
    test::Sandbox box;
    const QString name = QStringLiteral("合計スプリング線図　Ａ型");
    const QStringList values{QStringLiteral("50"), QStringLiteral("5"),     QStringLiteral("12.5"),
                             QStringLiteral("45"), QStringLiteral("32.5"),  QStringLiteral("123.45"),
                             QStringLiteral("0"),  QStringLiteral("456.7"), QString()};
    const struct {
        QString text;
        const char* counts;
        QString shown;  // a text the reader must see
    } drawings[] = {{CreateDxfDataA(values, name), "lines: 39 texts: 11", QStringLiteral("text: 12.5 ST")},
                    {CreateDxfDataB(values, name), "lines: 27 texts: 8", QStringLiteral("text: ") + name},
                    {CreateDxfDataB(QStringList(9, QString()), QStringLiteral(" ")), "lines: 27 texts: 8",
                     QStringLiteral("text: FREE LENGTH \n")}};
    QStringList files;
    for (const auto& d : drawings) {
        files << box.root() + QStringLiteral("/total%1.dxf").arg(files.size());
        ASSERT_FALSE(saveDxf(files.last(), d.text));  // no failure
    }
    const auto [exitCode, out] = test::readInEzdxf(files);
    if (exitCode == 77)
        GTEST_SKIP() << "python3-ezdxf is not installed";
    EXPECT_EQ(exitCode, 0) << out.toStdString();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString file = files[i] + QStringLiteral(": ");
        for (const QString& row : {file + QString::fromLatin1(drawings[i].counts), file + drawings[i].shown,
                                   file + QStringLiteral("layouts: Model,レイアウト1")})
            EXPECT_TRUE(out.contains(row)) << row.toStdString() << "\n" << out.toStdString();
    }
}
