// The saved drawing as a CAD reader sees it: Debian's python3-ezdxf loads it
// and audits every table, handle and owner.
#include "total/dxftemplate.h"
#include "total/totalallvalues.h"

#include "support/sandbox.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tolvane;

TEST(TotalAllValuesDrawing, LoadsInEzdxfWithACleanAudit)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        GTEST_SKIP() << "no /usr/bin/python3";
    test::Sandbox box;
    const QString path = box.root() + QStringLiteral("/total.dxf");
    const QString name = QStringLiteral("合計圧力線図 ダイ-01");
    const QString text = CreateDxfDataA({QStringLiteral("50"), QStringLiteral("5"), QStringLiteral("20"),
                                         QStringLiteral("45"), QStringLiteral("25"), QStringLiteral("20"),
                                         QStringLiteral("0.3"), QStringLiteral("123.45"), QStringLiteral("12")},
                                        name);
    ASSERT_FALSE(text.isEmpty());
    ASSERT_TRUE(saveDxf(path, text));

    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(python, {QStringLiteral(TOLVANE_SOURCE_DIR "/tests/total/ezdxf_audit.py"), path, name});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAll());
    if (p.exitCode() == 2)
        GTEST_SKIP() << "python3-ezdxf is not installed";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("entities: 50"))) << out.toStdString();
}
