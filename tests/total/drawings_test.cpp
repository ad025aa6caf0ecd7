// The two total drawings: every fixed row pinned, the values in their rows.
#include "total/pressureonly.h"
#include "total/totalallvalues.h"

#include "support/sandbox.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

using namespace tolvane;

namespace {

// Sentinels for TotalDiagramValues 0..8 and the name: each must show up at
// its value row and nowhere else.
const QStringList kValues{QStringLiteral("§0§"), QStringLiteral("§1§"), QStringLiteral("§2§"),
                          QStringLiteral("§3§"), QStringLiteral("§4§"), QStringLiteral("§5§"),
                          QStringLiteral("§6§"), QStringLiteral("§7§"), QStringLiteral("§8§")};
const QString kName = QStringLiteral("§名前§");

struct Drawing {
    const char* name;
    QString (*create)(const QStringList&, const QString&);
    int rows;
    QHash<int, QString> valueRows;
    // SHA-256 of the drawing's rows with every value row emptied, each row
    // with CR LF, in UTF-8: computed by a separate script from the drawing's
    // row tables, not from these files, so a wrong digit in any fixed row fails.
    QByteArray fixedRowsDigest;
};

const QList<Drawing>& drawings()
{
    static const QList<Drawing> list{
        {"all values", CreateDxfDataA, 3642,
         {{1530, kName}, {1756, QStringLiteral("§7§")}, {1784, QStringLiteral("§5§")},
          {1812, QStringLiteral("FREE LENGTH §0§")}, {1924, QStringLiteral("SET LENGTH §3§")},
          {2064, QStringLiteral("COMP.LENGTH §4§")}, {2456, QStringLiteral("§2§ ST")}, {2492, QStringLiteral("§1§")},
          {2612, QStringLiteral("§6§")}, {2920, QStringLiteral("§8§")}},
         "8c41b7e19bc1a0c9f2e8ea6ff611a6c47b6520d561c5c39fdface3e05144f4d8"},
        {"pressure only", CreateDxfDataB, 3214,
         {{1726, QStringLiteral("§7§")}, {1754, QStringLiteral("§5§")}, {1782, QStringLiteral("FREE LENGTH §0§")},
          {1894, QStringLiteral("SET LENGTH §3§")}, {2034, QStringLiteral("COMP.LENGTH §4§")},
          {2426, QStringLiteral("§2§ ST")}, {2462, QStringLiteral("§1§")}, {2498, kName}},
         "69fff420725735a24916b464c753232d6e6628f68248d48fab9132e7b159d9d9"},
    };
    return list;
}

// The rows of a drawing text; every row, the last one too, ends with CR LF.
QStringList rowsOf(const QString& text)
{
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n  0\r\nEOF\r\n")));
    QStringList rows = text.split(QStringLiteral("\r\n"));
    rows.removeLast();
    return rows;
}

}  // namespace

// Each value at its row; with the value rows emptied, the digest pins every
// other row, so a value that lands anywhere else fails as well.
TEST(TotalDrawings, ValuesLandAtTheirRowsAndEveryFixedRowMatchesItsRowTable)
{
    for (const Drawing& d : drawings()) {
        SCOPED_TRACE(d.name);
        QStringList rows = rowsOf(d.create(kValues, kName));
        ASSERT_EQ(rows.size(), d.rows);
        for (auto it = d.valueRows.begin(); it != d.valueRows.end(); ++it) {
            EXPECT_EQ(rows.at(it.key() - 1), it.value()) << "row " << it.key();
            rows[it.key() - 1].clear();
        }
        const QByteArray bytes = (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
        EXPECT_EQ(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(), d.fixedRowsDigest);
    }
    // The pressure-only drawing does not draw elements 6 and 8: eight are enough.
    EXPECT_EQ(CreateDxfDataB(kValues.mid(0, 8), kName), CreateDxfDataB(kValues, kName));
}

TEST(TotalDrawings, RefuseTotalsThatCannotFillTheirRows)
{
    test::Sandbox box;
    ExistLogFolder();
    EXPECT_TRUE(CreateDxfDataA(QStringList(8, QStringLiteral("1")), QStringLiteral("a")).isEmpty());
    EXPECT_TRUE(CreateDxfDataA(QStringList(9, QStringLiteral("1")), QStringLiteral("a\r\nb")).isEmpty());
    EXPECT_TRUE(CreateDxfDataB(QStringList(7, QStringLiteral("1")), QStringLiteral("a")).isEmpty());
    const QStringList log = box.logMessages();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log.at(0), QStringLiteral("■Err：[modDxfDataCreater]-[CreateDxfDataA()]：インデックスが有効範囲にありません。：エラー番号 -> 9"));
    EXPECT_TRUE(log.at(1).startsWith(QStringLiteral("■Err：[modDxfDataCreater]-[CreateDxfDataA()]：")));
    EXPECT_EQ(log.at(2), QStringLiteral("■Err：[modDxfDataCreater]-[CreateDxfDataB()]：インデックスが有効範囲にありません。：エラー番号 -> 9"));

    // The pressure-only writer makes its texts safe itself: every value stays in its row.
    QStringList values = kValues;
    values[7] = QStringLiteral("1\r\n  0\r\nEOF");
    const QStringList rows = rowsOf(CreateDxfDataB(values, QStringLiteral("line\nbreak")));
    ASSERT_EQ(rows.size(), 3214);
    EXPECT_EQ(rows.at(1725), QStringLiteral("1    0  EOF"));
    EXPECT_EQ(rows.at(2497), QStringLiteral("line break"));
}
