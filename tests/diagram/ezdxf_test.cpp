// Every variant of the drawing must load in a real CAD reader: Debian's
// python3-ezdxf reads and audits each file, and reads its Japanese texts.
#include "diagram/springdiagram.h"

#include "diagram_fixtures.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(DrawingInACadReader, EveryVariantLoadsAndAuditsClean)
{
    test::Sandbox box;
    QStringList files;
    for (ReportBlock block : test::kAllBlocks) {
        for (const char* initial : {"5", "0"}) {  // both forms of the initial-load leader
            DiagramInputs in = test::sampleInputs(block);
            in.InitialCompression = initial;
            files << box.root() + QStringLiteral("/variant %1.dxf").arg(files.size());
            test::writeAll(files.last(), encodeSpringDiagram(in, QStringLiteral("スプリング線図 ") + initial));
        }
    }
    const auto [exitCode, report] = test::readInEzdxf(files);
    if (exitCode == 77)
        GTEST_SKIP() << "/usr/bin/python3 cannot import ezdxf (Debian package python3-ezdxf)";
    EXPECT_EQ(exitCode, 0) << report.toStdString();
    EXPECT_EQ(report.count(QStringLiteral(", clean")), files.size()) << report.toStdString();
    // The reader takes the code page from the drawing itself, as CAD programs do.
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString initial = i % 2 ? QStringLiteral("0") : QStringLiteral("5");
        for (const QString& text : {QStringLiteral("スプリング線図 "), QStringLiteral("初圧 = ")})
            EXPECT_TRUE(report.contains(files[i] + QStringLiteral(": text: ") + text + initial)) << report.toStdString();
    }
}

}  // namespace
}  // namespace tolvane
