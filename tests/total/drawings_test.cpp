// The two total drawings checked by the rules of the format and the rows the
// dialog relies on, not by a second copy of their rows.
#include "total/pressureonly.h"
#include "total/totalallvalues.h"

#include "services/cp932.h"
#include "support/sandbox.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

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
    const DxfTemplate& (*layout)();
    int rows;
    QList<int> sections;  // rows of "  0" SECTION
    QList<int> ends;      // rows of "  0" ENDSEC
    QHash<int, QString> valueRows;
    QString highest;
    QString seed;
    int lines;
    int texts;
};

const QList<Drawing>& drawings()
{
    static const QList<Drawing> list{
        {"all values", CreateDxfDataA, totalAllValuesTemplate, 3642,
         {1, 907, 969, 1415, 1501, 2933}, {905, 967, 1413, 1499, 2931, 3639},
         {{1530, kName}, {1756, QStringLiteral("§7§")}, {1784, QStringLiteral("§5§")},
          {1812, QStringLiteral("FREE LENGTH §0§")}, {1924, QStringLiteral("SET LENGTH §3§")},
          {2064, QStringLiteral("COMP.LENGTH §4§")}, {2456, QStringLiteral("§2§ ST")}, {2492, QStringLiteral("§1§")},
          {2612, QStringLiteral("§6§")}, {2920, QStringLiteral("§8§")}},
         QStringLiteral("AA"), QStringLiteral("AB"), 39, 11},
        {"pressure only", CreateDxfDataB, pressureOnlyTemplate, 3214,
         {1, 907, 969, 1415, 1501, 2505}, {905, 967, 1413, 1499, 2503, 3211},
         {{1726, QStringLiteral("§7§")}, {1754, QStringLiteral("§5§")}, {1782, QStringLiteral("FREE LENGTH §0§")},
          {1894, QStringLiteral("SET LENGTH §3§")}, {2034, QStringLiteral("COMP.LENGTH §4§")},
          {2426, QStringLiteral("§2§ ST")}, {2462, QStringLiteral("§1§")}, {2498, kName}},
         QStringLiteral("94"), QStringLiteral("95"), 27, 8},
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

int code(const QString& row) { return row.trimmed().toInt(); }

}  // namespace

TEST(TotalDrawings, FollowTheFormatWithTheirSectionsAtTheirRows)
{
    const QSet<int> sixWide{62, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79,
                            171, 172, 279, 280, 281, 290, 370, 380};
    const QStringList names{QStringLiteral("HEADER"), QStringLiteral("CLASSES"), QStringLiteral("TABLES"),
                            QStringLiteral("BLOCKS"), QStringLiteral("ENTITIES"), QStringLiteral("OBJECTS")};
    for (const Drawing& d : drawings()) {
        SCOPED_TRACE(d.name);
        const QStringList rows = rowsOf(d.create(kValues, kName));
        ASSERT_EQ(rows.size(), d.rows);
        QList<int> sections, ends;
        for (int i = 0; i < rows.size(); i += 2) {
            // Group codes right-aligned in three, integers six wide (code 90: nine).
            const QString& c = rows.at(i);
            const QString& v = rows.at(i + 1);
            ASSERT_EQ(QString::number(code(c)).rightJustified(3), c) << "row " << i + 1;
            const int width = code(c) == 90 ? 9 : sixWide.contains(code(c)) ? 6 : 0;
            if (width) {
                bool ok = false;
                EXPECT_EQ(QString::number(v.toInt(&ok)).rightJustified(width), v) << "row " << i + 2;
                EXPECT_TRUE(ok) << "row " << i + 2;
            }
            if (c == QStringLiteral("  0") && v == QStringLiteral("SECTION"))
                sections.append(i + 1);
            if (c == QStringLiteral("  0") && v == QStringLiteral("ENDSEC"))
                ends.append(i + 1);
        }
        EXPECT_EQ(sections, d.sections);
        EXPECT_EQ(ends, d.ends);
        for (int k = 0; k < sections.size() && k < names.size(); ++k)
            EXPECT_EQ(rows.at(sections.at(k) + 2), names.at(k));
        // The OBJECTS section with the end of file: 4,611 characters.
        qsizetype characters = 0;
        for (int r = d.sections.last(); r <= d.rows; ++r)
            characters += rows.at(r - 1).size() + 2;
        EXPECT_EQ(characters, 4611);
    }
    // With every value empty the pressure-only text has its stated length.
    EXPECT_EQ(CreateDxfDataB(QStringList(9, QString()), QString()).size(), 22616);
}

TEST(TotalDrawings, ValuesLandAtTheirValueRowsAndNowhereElse)
{
    for (const Drawing& d : drawings()) {
        SCOPED_TRACE(d.name);
        const QStringList rows = rowsOf(d.create(kValues, kName));
        const QStringList& stored = d.layout().rows();
        ASSERT_EQ(rows.size(), d.rows);
        ASSERT_EQ(stored.size(), d.rows);
        const QHash<int, QString>& expected = d.valueRows;
        for (int r = 1; r <= d.rows; ++r) {
            if (expected.contains(r)) {
                EXPECT_EQ(rows.at(r - 1), expected.value(r)) << "row " << r;
                EXPECT_EQ(rows.at(r - 2), QStringLiteral("  1")) << "row " << r;  // a TEXT's text
            } else {
                EXPECT_EQ(rows.at(r - 1), stored.at(r - 1)) << "row " << r;
                EXPECT_FALSE(rows.at(r - 1).contains(QLatin1Char(u'§'))) << "row " << r;
            }
        }
    }
    // The pressure-only drawing does not draw elements 6 and 8: eight are enough.
    EXPECT_EQ(CreateDxfDataB(kValues.mid(0, 8), kName), CreateDxfDataB(kValues, kName));
}

TEST(TotalDrawings, HandlesAreUniqueBelowTheSeedAndEveryReferenceResolves)
{
    for (const Drawing& d : drawings()) {
        SCOPED_TRACE(d.name);
        const QStringList rows = rowsOf(d.create(kValues, kName));
        QSet<QString> handles;
        QList<std::pair<int, QString>> references;
        QString seed;
        unsigned highest = 0;
        for (int i = 0; i + 1 < rows.size(); i += 2) {
            const int c = code(rows.at(i));
            const QString& v = rows.at(i + 1);
            if ((c == 5 || c == 105) && i > 0 && rows.at(i - 1) == QStringLiteral("$HANDSEED")) {
                seed = v;
            } else if (c == 5 || c == 105) {
                EXPECT_FALSE(handles.contains(v)) << "handle " << v.toStdString() << " twice, row " << i + 2;
                EXPECT_TRUE(QRegularExpression(QStringLiteral("^[1-9A-F][0-9A-F]*$")).match(v).hasMatch()) << i + 2;
                handles.insert(v);
                highest = std::max(highest, v.toUInt(nullptr, 16));
            } else if (c == 330 || c == 340 || c == 350 || c == 360 || c == 390) {
                references.append({i + 2, v});
            }
        }
        EXPECT_EQ(seed, d.seed);
        EXPECT_EQ(QString::number(highest, 16).toUpper(), d.highest);
        for (const auto& [row, ref] : references) {
            if (ref != QStringLiteral("0")) {
                EXPECT_TRUE(handles.contains(ref)) << "row " << row << " names " << ref.toStdString();
            }
        }
    }
}

TEST(TotalDrawings, DrawTheirEntitiesInModelSpaceAndNameTheLayoutsInCodePage932)
{
    for (const Drawing& d : drawings()) {
        SCOPED_TRACE(d.name);
        const QString text = d.create(QStringList(9, QStringLiteral("1")), QStringLiteral("A"));
        const QStringList rows = rowsOf(text);
        QMap<QString, int> entities;
        for (int i = d.sections.at(4) + 3; i < d.ends.at(4) - 1; i += 2) {
            if (rows.at(i) == QStringLiteral("  0")) {
                ++entities[rows.at(i + 1)];
                EXPECT_EQ(rows.at(i + 5), QStringLiteral("20")) << "row " << i + 6;  // owner: model space
            }
        }
        EXPECT_EQ(entities, (QMap<QString, int>{{QStringLiteral("LINE"), d.lines}, {QStringLiteral("TEXT"), d.texts}}));
        QStringList layouts;
        for (int i = 0; i + 3 < rows.size(); i += 2) {
            if (rows.at(i) == QStringLiteral("100") && rows.at(i + 1) == QStringLiteral("AcDbLayout"))
                layouts.append(rows.at(i + 3));
        }
        EXPECT_EQ(layouts, (QStringList{QStringLiteral("Model"), QStringLiteral("レイアウト1")}));
        // The paper layout's name is the only text beyond ASCII.
        QByteArray bytes = encodeCp932(text);
        EXPECT_EQ(bytes.count(QByteArray::fromHex("838C834383418345836731")), 2);
        bytes.replace(QByteArray::fromHex("838C834383418345836731"), "");
        for (char c : bytes)
            ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    }
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
