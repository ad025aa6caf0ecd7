// The two total drawings are kept as two complete template files. Where they
// share rows they must stay the same; these tests keep them consistent, so a
// correction made to one file and forgotten in the other is caught.
#include "total/pressureonly.h"
#include "total/totalallvalues.h"

#include "support/printers.h"

#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

using namespace tolvane;

namespace {

const QStringList& pressureOnly() { return pressureOnlyTemplate().rows(); }

const QStringList& allValues() { return totalAllValuesTemplate().rows(); }

// 1-based rows.
const QString& po(int row) { return pressureOnly().at(row - 1); }
const QString& av(int row) { return allValues().at(row - 1); }

}  // namespace

TEST(PressureOnlyRelation, BothTemplatesAreComplete)
{
    ASSERT_EQ(pressureOnly().size(), 3214);
    ASSERT_EQ(allValues().size(), 3642);
    // One set of values serves both drawings: every name of this drawing is
    // a name of the all-values drawing too.
    const QStringList allNames = totalAllValuesTemplate().placeholders();
    for (const QString& name : pressureOnlyTemplate().placeholders())
        EXPECT_TRUE(allNames.contains(name)) << name.toStdString();
}

TEST(PressureOnlyRelation, HeaderClassesAndTablesDifferOnlyInTheirOwnRows)
{
    ASSERT_EQ(allValues().size(), 3642);
    // row: pressure-only value, all-values value
    const QHash<int, std::pair<const char*, const char*>> differ{
        {28, {"170.5648855494063", "154.6061750218373"}},
        {30, {"83.13124626662419", "83.14505058551072"}},
        {32, {"-0.0015258207003583", "-0.0000000349181948"}},
        {36, {"380.4404391688886", "380.4520501755084"}},
        {38, {"272.1616024305199", "289.7035603019184"}},
        {40, {"0.0000000349246037", "0.0000000814935747"}},
        {448, {"2456685.737849734", "2456685.737729503"}},
        {452, {"2456685.362849734", "2456685.362729503"}},
        {456, {"2456685.746648519", "2456685.758853704"}},
        {460, {"2456685.371648518", "2456685.383853704"}},
        {464, {"0.0087988426", "0.0093029745"}},
        {468, {"0.0087988426", "0.0093029514"}},
        {508, {"95", "AB"}},
        {888, {"{3CBD4181-46E5-40ED-BA74-002D8F737FA0}", "{9F21543F-97AE-4035-B63F-70DD79796066}"}},
        {892, {"{F3ED3605-7A0C-4E64-AA5C-490E75330A73}", "{260B76B9-5684-4194-9563-515A9C68331D}"}},
        {984, {"     5", "     2"}},
        {988, {"8D", "A3"}},
        {1008, {"275.5026623591475", "267.5291125986729"}},
        {1010, {"177.646424348572", "186.4243054437145"}},
        {1036, {"190.4733359819407", "208.0481143537856"}},
        {1038, {"1.193630573248407", "2.30445246690734"}},
        {1382, {"     1", "     0"}},
    };
    for (int r = 1; r <= 1414; ++r) {
        if (differ.contains(r)) {
            EXPECT_EQ(po(r), QString::fromLatin1(differ.value(r).first)) << "row " << r;
            EXPECT_EQ(av(r), QString::fromLatin1(differ.value(r).second)) << "row " << r;
        } else {
            EXPECT_EQ(po(r), av(r)) << "row " << r;
        }
    }
}

TEST(PressureOnlyRelation, BlocksAreEqual)
{
    ASSERT_EQ(allValues().size(), 3642);
    for (int r = 1415; r <= 1504; ++r)  // the BLOCKS section and the opening of ENTITIES
        EXPECT_EQ(po(r), av(r)) << "row " << r;
    EXPECT_EQ(po(1500), QStringLiteral("ENDSEC"));
}

TEST(PressureOnlyRelation, SharedEntitiesStandThirtyRowsLaterInTheAllValuesDrawing)
{
    ASSERT_EQ(allValues().size(), 3642);
    // LINE 2A to the centred TEXT 4E: the all-values drawing writes its title
    // (30 rows) first; the centred texts' first alignment x differs.
    const QHash<int, std::pair<const char*, const char*>> differ{
        {2418, {"221.6256941119255", "217.5090274452589"}},
        {2454, {"177.5242683626059", "173.4076016959392"}},
    };
    for (int r = 1505; r <= 2472; ++r) {
        if (differ.contains(r)) {
            EXPECT_EQ(po(r), QString::fromLatin1(differ.value(r).first)) << "row " << r;
            EXPECT_EQ(av(r + 30), QString::fromLatin1(differ.value(r).second)) << "row " << r + 30;
        } else {
            EXPECT_EQ(po(r), av(r + 30)) << "row " << r;
        }
    }
    // The title is the same TEXT but for its handle: last here, first there.
    for (int k = 0; k < 30; ++k) {
        if (k == 3) {
            EXPECT_EQ(po(2473 + k), QStringLiteral("8C"));
            EXPECT_EQ(av(1505 + k), QStringLiteral("29"));
        } else {
            EXPECT_EQ(po(2473 + k), av(1505 + k)) << "title row " << k + 1;
        }
    }
    EXPECT_EQ(po(2498), QStringLiteral("@@TOTAL_NAME@@"));
    EXPECT_EQ(po(2503), QStringLiteral("  0"));
    EXPECT_EQ(po(2504), QStringLiteral("ENDSEC"));
    EXPECT_EQ(av(2932), QStringLiteral("ENDSEC"));
}

TEST(PressureOnlyRelation, ObjectsAreEqualButForTheTenRenamedHandles)
{
    ASSERT_EQ(allValues().size(), 3642);
    const QHash<QString, QString> renamed{
        {QStringLiteral("8E"), QStringLiteral("A4")}, {QStringLiteral("72"), QStringLiteral("7B")},
        {QStringLiteral("90"), QStringLiteral("A6")}, {QStringLiteral("8F"), QStringLiteral("A5")},
        {QStringLiteral("73"), QStringLiteral("7C")}, {QStringLiteral("74"), QStringLiteral("7D")},
        {QStringLiteral("93"), QStringLiteral("A9")}, {QStringLiteral("91"), QStringLiteral("A7")},
        {QStringLiteral("94"), QStringLiteral("AA")}, {QStringLiteral("92"), QStringLiteral("A8")},
    };
    const QSet<int> handleCodes{5, 330, 340, 350, 360};
    QList<int> differing;
    for (int r = 2505; r <= 3214; ++r) {
        const QString& mine = po(r);
        const QString& theirs = av(r + 428);
        if (mine == theirs)
            continue;
        differing.append(r + 428);
        EXPECT_EQ(r % 2, 0) << "a group code differs at row " << r;
        EXPECT_TRUE(handleCodes.contains(po(r - 1).trimmed().toInt())) << "row " << r;
        EXPECT_EQ(renamed.value(mine), theirs) << "row " << r;
    }
    const QList<int> listed{2978, 2982, 3118, 3134, 3138, 3142, 3158, 3162, 3170, 3302, 3482,
                            3486, 3490, 3500, 3504, 3508, 3518, 3522, 3526, 3536, 3540, 3544,
                            3554, 3566, 3570, 3582, 3586, 3590, 3594, 3614, 3618, 3622};
    EXPECT_EQ(differing, listed);
    // No renamed handle of this drawing is left in the all-values OBJECTS.
    for (int r = 2934; r <= 3642; r += 2) {
        const int code = av(r - 1).trimmed().toInt();
        if (handleCodes.contains(code)) {
            EXPECT_FALSE(renamed.contains(av(r))) << "row " << r;
        }
    }
}
