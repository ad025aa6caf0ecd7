// Every row of the drawing other than a text is a constant: group codes,
// handles, colours, coordinates, heights, angles. A digit lost from one of
// the embedded fragments would still give a file that loads, so the fixed
// rows of each variant are pinned as a whole. The digests were computed
// from the drawing's row tables by a separate script, not from this
// program's output.
#include "diagram/springdiagram.h"

#include "diagram_fixtures.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <map>

namespace tolvane {
namespace {

// The drawing with the value row of every text blanked: what is left does
// not depend on the calculation, only on the variant and on the form of
// the initial-load leader.
QByteArray fixedRowsDigest(const DiagramInputs& in)
{
    QStringList rows = test::rowsOf(buildSpringDiagram(in, QStringLiteral("a")));
    for (qsizetype i = 1; i < rows.size(); i += 2) {
        if (rows[i - 1] == QLatin1String("  1"))
            rows[i].clear();
    }
    const QByteArray bytes = (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

TEST(SpringDiagramFixedRows, EachVariantAndLeaderFormMatchesItsTables)
{
    // Variant -> digest with an initial compression, digest without one.
    const std::map<ReportBlock, std::pair<QByteArray, QByteArray>> expected = {
        {ReportBlock::AllTwoLine,
         {"ec8aceaa8553a5e1a36040288382cb47a029af7c80efb485751488b28e260de3",
          "d005cabbdafef4b50aaa2054c956baa41f894f39d5566e791bfedf2f24731c7a"}},
        {ReportBlock::AllThreeLine,
         {"bc1bc90b98d19e4f150d30dd32c83b4364ddc072c0840dbc7eae9cb75e43e9df",
          "a451c6f82f3b5bd5131d59054bee48738e52375df613ed3d88722ac87eb8de12"}},
        {ReportBlock::PressureTwoLine,
         {"eca389436fa6065f02e47ed126072d1890f73ef6a5bc9b7b5f0e1f18ac8d9e38",
          "754d144124efb8064c5d05dfd4e5f229f88ce430182d4ec647272248bf240829"}},
        {ReportBlock::PressureThreeLine,
         {"8fa8be8fd2f6611d2b7599a3d79c35b48acd1ce42d970b1dca9d0c35ed68dd72",
          "4214d8178faf74bffd654d604f5cf01a374ecf7b30da308700604192ef88c0fb"}},
    };
    for (ReportBlock block : test::allBlocks()) {
        DiagramInputs in = test::sampleInputs(block);
        in.InitialCompression = QStringLiteral("5");
        EXPECT_EQ(fixedRowsDigest(in), expected.at(block).first) << static_cast<int>(block);
        in.InitialCompression = QStringLiteral("0");
        EXPECT_EQ(fixedRowsDigest(in), expected.at(block).second) << static_cast<int>(block);
    }
}

}  // namespace
}  // namespace tolvane
