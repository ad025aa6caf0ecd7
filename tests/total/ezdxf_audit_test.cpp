// The saved drawings as a CAD reader sees them: Debian's python3-ezdxf loads
// them and audits every table, handle and owner.
#include "total/dxftemplate.h"
#include "total/pressureonly.h"
#include "total/totalallvalues.h"

#include "support/sandbox.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tolvane;

TEST(TotalDrawings, LoadInEzdxfWithACleanAudit)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        GTEST_SKIP() << "no /usr/bin/python3";
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
    for (const auto& d : drawings) {
        const QString path = box.root() + QStringLiteral("/total.dxf");
        ASSERT_FALSE(saveDxf(path, d.text));  // no failure
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(python, {QStringLiteral(TOLVANE_SOURCE_DIR "/tests/total/ezdxf_audit.py"), path});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAll());
        if (p.exitCode() == 2)
            GTEST_SKIP() << "python3-ezdxf is not installed";
        SCOPED_TRACE(out.toStdString());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(out.contains(QString::fromLatin1(d.counts)));
        EXPECT_TRUE(out.contains(QStringLiteral("layouts: Model,レイアウト1")));
        EXPECT_TRUE(out.contains(d.shown));
    }
}
