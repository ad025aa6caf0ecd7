// Every variant of the drawing, saved as the dialog saves it, must load in a
// real CAD reader: Debian's python3-ezdxf reads and audits each file.
#include "diagram/dxfoutput.h"

#include "diagram_fixtures.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(DrawingInACadReader, EveryVariantLoadsAndAuditsClean)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import ezdxf")});
        if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            GTEST_SKIP() << "/usr/bin/python3 cannot import ezdxf (Debian package python3-ezdxf)";
    }

    test::LogSandbox box;
    QStringList files;
    int n = 0;
    for (ReportBlock block : test::allBlocks()) {
        for (const char* initial : {"5", "0"}) {  // both forms of the initial-load leader
            DiagramInputs in = test::sampleInputs(block);
            in.InitialCompression = QString::fromLatin1(initial);
            test::FakeUi ui;
            test::FakeView view;
            DxfOutput out(in, SpringRecord{}, true, ui, view);
            out.setDiagramName(QStringLiteral("スプリング線図 ") + QString::number(++n));
            const QString path = box.root() + QStringLiteral("/variant ") + QString::number(n) + QStringLiteral(".dxf");
            ui.saveAnswers = {path};
            out.imgOk_Click();
            ASSERT_TRUE(out.closed()) << path.toStdString();
            files << path;
        }
    }

    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(python, QStringList{QStringLiteral(TOLVANE_SOURCE_DIR "/tests/diagram/check_dxf.py")} + files);
    ASSERT_TRUE(check.waitForFinished(120000));
    const QString report = QString::fromUtf8(check.readAll());
    EXPECT_EQ(check.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(check.exitCode(), 0) << report.toStdString();
    EXPECT_EQ(report.count(QStringLiteral(", clean")), files.size()) << report.toStdString();
}

}  // namespace
}  // namespace tolvane
