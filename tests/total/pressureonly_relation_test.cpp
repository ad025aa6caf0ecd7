// The two total drawings are kept as two complete template files. Where they
// share rows they must stay the same, so a correction made to one file and
// forgotten in the other is caught.
#include "total/pressureonly.h"
#include "total/totalallvalues.h"

#include "support/printers.h"

#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

using namespace tolvane;

namespace {

const QString& po(int row) { return pressureOnlyTemplate().rows().at(row - 1); }
const QString& av(int row) { return totalAllValuesTemplate().rows().at(row - 1); }

// Rows in [first, last] of the pressure-only drawing that differ from the
// all-values rows `shift` rows later.
QList<int> differing(int first, int last, int shift)
{
    QList<int> out;
    for (int r = first; r <= last; ++r) {
        if (po(r) != av(r + shift))
            out.append(r);
    }
    return out;
}

}  // namespace

TEST(PressureOnlyRelation, SharesTheAllValuesRowsButWhereItsOwnDiffer)
{
    ASSERT_EQ(pressureOnlyTemplate().rowCount(), 3214);
    ASSERT_EQ(totalAllValuesTemplate().rowCount(), 3642);
    // HEADER, CLASSES and TABLES: the view, the dates, the seed, the GUIDs,
    // the layer count and owner, the viewport and one flag.
    EXPECT_EQ(differing(1, 1414, 0), (QList<int>{28, 30, 32, 36, 38, 40, 448, 452, 456, 460, 464, 468, 508, 888,
                                                  892, 984, 988, 1008, 1010, 1036, 1038, 1382}));
    EXPECT_EQ(po(508), QStringLiteral("95"));
    EXPECT_EQ(av(508), QStringLiteral("AB"));
    // BLOCKS and the opening of ENTITIES are equal.
    EXPECT_EQ(differing(1415, 1504, 0), QList<int>{});
    // LINE 2A to the centred TEXT 4E stand 30 rows later there, after the
    // title; only the centred texts' first alignment x differs.
    EXPECT_EQ(differing(1505, 2472, 30), (QList<int>{2418, 2454}));
    // The title is the same TEXT but for its handle: last here, first there.
    EXPECT_EQ(differing(2473, 2502, 1505 - 2473), QList<int>{2476});
    EXPECT_EQ(po(2476), QStringLiteral("8C"));
    EXPECT_EQ(av(1508), QStringLiteral("29"));
}

TEST(PressureOnlyRelation, ObjectsAreEqualButForTheTenRenamedHandles)
{
    ASSERT_EQ(totalAllValuesTemplate().rowCount(), 3642);
    const QHash<QString, QString> renamed{
        {QStringLiteral("8E"), QStringLiteral("A4")}, {QStringLiteral("72"), QStringLiteral("7B")},
        {QStringLiteral("90"), QStringLiteral("A6")}, {QStringLiteral("8F"), QStringLiteral("A5")},
        {QStringLiteral("73"), QStringLiteral("7C")}, {QStringLiteral("74"), QStringLiteral("7D")},
        {QStringLiteral("93"), QStringLiteral("A9")}, {QStringLiteral("91"), QStringLiteral("A7")},
        {QStringLiteral("94"), QStringLiteral("AA")}, {QStringLiteral("92"), QStringLiteral("A8")},
    };
    const QSet<int> handleCodes{5, 330, 340, 350, 360};
    QSet<QString> used;
    const QList<int> rows = differing(2505, 3214, 428);
    EXPECT_EQ(rows.size(), 32);
    for (int r : rows) {
        EXPECT_EQ(r % 2, 0) << "a group code differs at row " << r;
        EXPECT_TRUE(handleCodes.contains(po(r - 1).trimmed().toInt())) << "row " << r;
        EXPECT_EQ(renamed.value(po(r)), av(r + 428)) << "row " << r;
        used.insert(po(r));
    }
    EXPECT_EQ(used.size(), 10);
}
