// The pressure-only total drawing as a CAD program reads it: rows, pairs,
// sections, handles and the eight rows that carry the totals and the title.
#include "total/pressureonly.h"

#include "services/cp932.h"
#include "services/folders.h"
#include "support/sandbox.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace tolvane;
using tolvane::test::Sandbox;

namespace {

// TotalDiagramValues: 0 free length, 1 initial compression, 2 stroke,
// 3 set length, 4 compressed length, 5 initial load, 6 start load,
// 7 final load, 8 start distance.
QStringList sentinels()
{
    return {QStringLiteral("v0free"),  QStringLiteral("v1init"),  QStringLiteral("v2stroke"),
            QStringLiteral("v3set"),   QStringLiteral("v4comp"),  QStringLiteral("v5initload"),
            QStringLiteral("v6start"), QStringLiteral("v7final"), QStringLiteral("v8dist")};
}

QStringList emptyValues() { return QStringList(9, QString()); }

// The drawing's rows; every row of the text must end with CR LF.
QStringList rowsOf(const QString& text)
{
    EXPECT_TRUE(text.endsWith(QStringLiteral("EOF\r\n")));
    QStringList rows = text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(rows.last(), QString());
    rows.removeLast();
    return rows;
}

struct Pair {
    int row;  // 1-based row of the group code
    int code;
    QString value;
};

QList<Pair> pairsOf(const QStringList& rows)
{
    QList<Pair> pairs;
    for (int i = 0; i + 1 < rows.size(); i += 2) {
        bool ok = false;
        const int code = rows.at(i).trimmed().toInt(&ok);
        EXPECT_TRUE(ok) << "row " << i + 1 << " is no group code: " << rows.at(i).toStdString();
        pairs.append({i + 1, code, rows.at(i + 1)});
    }
    return pairs;
}

// The pairs of one section, from its (2, name) pair to its ENDSEC.
QList<Pair> section(const QList<Pair>& pairs, const QString& name)
{
    QList<Pair> out;
    bool inside = false;
    for (const Pair& p : pairs) {
        if (!inside && p.code == 2 && p.value == name) {
            inside = true;
            continue;
        }
        if (inside && p.code == 0 && p.value == QStringLiteral("ENDSEC"))
            break;
        if (inside)
            out.append(p);
    }
    return out;
}

}  // namespace

TEST(PressureOnlyDrawing, HasAllRowsInPairsWithTheStatedLengthWhenEveryValueIsEmpty)
{
    const QString text = CreateDxfDataB(emptyValues(), QString());
    EXPECT_EQ(text.size(), 22616);
    const QStringList rows = rowsOf(text);
    ASSERT_EQ(rows.size(), 3214);
    EXPECT_TRUE(text.startsWith(QStringLiteral("  0\r\nSECTION\r\n  2\r\nHEADER\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("  0\r\nENDSEC\r\n  0\r\nEOF\r\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("@@")));

    // Every odd row a group code right-aligned in three characters; integer
    // values six wide (code 90 nine wide).
    const QSet<int> sixWide{62, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 171, 172, 279, 280, 281, 290, 370, 380};
    for (const Pair& p : pairsOf(rows)) {
        ASSERT_EQ(rows.at(p.row - 1).size(), 3) << "row " << p.row;
        ASSERT_EQ(rows.at(p.row - 1), QStringLiteral("%1").arg(p.code, 3)) << "row " << p.row;
        if (sixWide.contains(p.code)) {
            EXPECT_EQ(p.value.size(), 6) << "row " << p.row + 1;
            bool ok = false;
            p.value.trimmed().toInt(&ok);
            EXPECT_TRUE(ok) << "row " << p.row + 1;
        }
        if (p.code == 90) {
            EXPECT_EQ(p.value, QStringLiteral("        0"));
        }
    }

    // The sections open and close at their rows.
    const struct {
        int open;
        const char* name;
        int close;
    } sections[] = {{1, "HEADER", 905},  {907, "CLASSES", 967},   {969, "TABLES", 1413},
                    {1415, "BLOCKS", 1499}, {1501, "ENTITIES", 2503}, {2505, "OBJECTS", 3211}};
    for (const auto& s : sections) {
        EXPECT_EQ(rows.at(s.open - 1), QStringLiteral("  0"));
        EXPECT_EQ(rows.at(s.open), QStringLiteral("SECTION"));
        EXPECT_EQ(rows.at(s.open + 2), QString::fromLatin1(s.name));
        EXPECT_EQ(rows.at(s.close), QStringLiteral("ENDSEC")) << s.name;
    }
    // The OBJECTS section with the end of file: 710 rows, 4,611 characters.
    qsizetype objects = 0;
    for (int r = 2505; r <= 3214; ++r)
        objects += rows.at(r - 1).size() + 2;
    EXPECT_EQ(objects, 4611);
}

TEST(PressureOnlyDrawing, PutsEachValueInItsOwnRowAndNowhereElse)
{
    const QStringList values = sentinels();
    const QString title = QStringLiteral("合計線図 No.1");
    const QStringList rows = rowsOf(CreateDxfDataB(values, title));
    ASSERT_EQ(rows.size(), 3214);

    const QHash<int, QString> expected{
        {1726, QStringLiteral("v7final")},
        {1754, QStringLiteral("v5initload")},
        {1782, QStringLiteral("FREE LENGTH v0free")},
        {1894, QStringLiteral("SET LENGTH v3set")},
        {2034, QStringLiteral("COMP.LENGTH v4comp")},
        {2426, QStringLiteral("v2stroke ST")},
        {2462, QStringLiteral("v1init")},
        {2498, title},
    };
    const QStringList empty = rowsOf(CreateDxfDataB(emptyValues(), QString()));
    for (int r = 1; r <= 3214; ++r) {
        const QString& row = rows.at(r - 1);
        if (expected.contains(r)) {
            EXPECT_EQ(row, expected.value(r)) << "row " << r;
            EXPECT_EQ(rows.at(r - 2), QStringLiteral("  1")) << "row " << r;
        } else {
            // Every other row is the same whatever the values.
            EXPECT_EQ(row, empty.at(r - 1)) << "row " << r;
            for (const QString& v : values)
                EXPECT_FALSE(row.contains(v)) << "row " << r;
        }
    }
    // Elements 6 and 8 belong to the working point, which this drawing lacks.
    for (const QString& row : rows) {
        EXPECT_FALSE(row.contains(QStringLiteral("v6start")));
        EXPECT_FALSE(row.contains(QStringLiteral("v8dist")));
    }
    // With empty values only the fixed parts stay.
    EXPECT_EQ(empty.at(1781), QStringLiteral("FREE LENGTH "));
    EXPECT_EQ(empty.at(1893), QStringLiteral("SET LENGTH "));
    EXPECT_EQ(empty.at(2033), QStringLiteral("COMP.LENGTH "));
    EXPECT_EQ(empty.at(2425), QStringLiteral(" ST"));
    EXPECT_EQ(empty.at(1725), QString());
    EXPECT_EQ(empty.at(2497), QString());
}

TEST(PressureOnlyDrawing, WritesValuesAsTheyAreAndGrowsOnlyByTheirLength)
{
    QStringList values = emptyValues();
    values[0] = QStringLiteral("50");
    values[1] = QStringLiteral("4.5");
    values[2] = QStringLiteral("12.5");
    values[3] = QStringLiteral("45.5");
    values[4] = QStringLiteral("33");
    values[5] = QStringLiteral("123.45");
    values[7] = QStringLiteral("0.30000000000000004");
    const QString title = QStringLiteral("  blanks kept  ");
    const QString text = CreateDxfDataB(values, title);
    qsizetype added = title.size();
    for (int i : {0, 1, 2, 3, 4, 5, 7})
        added += values.at(i).size();
    EXPECT_EQ(text.size(), 22616 + added);
    const QStringList rows = rowsOf(text);
    EXPECT_EQ(rows.at(2425), QStringLiteral("12.5 ST"));
    EXPECT_EQ(rows.at(1725), QStringLiteral("0.30000000000000004"));
    EXPECT_EQ(rows.at(2497), title);

    // Eight elements are enough: element 8 is never read.
    values.removeLast();
    EXPECT_EQ(CreateDxfDataB(values, title), text);
}

TEST(PressureOnlyDrawing, IsTheSameTextOnEveryCall)
{
    const QString first = CreateDxfDataB(sentinels(), QStringLiteral("A"));
    EXPECT_EQ(CreateDxfDataB(sentinels(), QStringLiteral("A")), first);
    EXPECT_EQ(CreateDxfDataB(emptyValues(), QStringLiteral("B")).size(), 22616 + 1);
}

TEST(PressureOnlyDrawing, HandlesAreUniqueBelowTheSeedAndEveryReferenceResolves)
{
    const QList<Pair> pairs = pairsOf(rowsOf(CreateDxfDataB(sentinels(), QStringLiteral("T"))));
    QSet<QString> handles;
    int highest = 0;
    for (const Pair& p : pairs) {
        if (p.code != 5 && p.code != 105)
            continue;
        if (p.row < 905)
            continue;  // $HANDSEED is no handle of an object
        EXPECT_FALSE(handles.contains(p.value)) << "handle " << p.value.toStdString() << " twice, row " << p.row;
        handles.insert(p.value);
        bool ok = false;
        highest = std::max(highest, p.value.toInt(&ok, 16));
        EXPECT_TRUE(ok);
        EXPECT_EQ(p.value, p.value.toUpper());
    }
    EXPECT_EQ(highest, 0x94);
    // "$HANDSEED" names the next free handle.
    const QStringList rows = rowsOf(CreateDxfDataB(emptyValues(), QString()));
    const int seed = static_cast<int>(rows.indexOf(QStringLiteral("$HANDSEED")));
    ASSERT_GT(seed, 0);
    EXPECT_EQ(rows.at(seed + 1), QStringLiteral("  5"));
    EXPECT_EQ(rows.at(seed + 2), QStringLiteral("95"));
    EXPECT_EQ(seed + 3, 508);

    for (const Pair& p : pairs) {
        if (p.code == 330 || p.code == 340 || p.code == 350 || p.code == 360 || p.code == 390) {
            if (p.value == QStringLiteral("0"))
                continue;
            EXPECT_TRUE(handles.contains(p.value)) << "row " << p.row + 1 << " names " << p.value.toStdString();
        }
    }
}

TEST(PressureOnlyDrawing, HasTwentySevenLinesAndEightTextsInModelSpace)
{
    const QList<Pair> entities = section(pairsOf(rowsOf(CreateDxfDataB(sentinels(), QStringLiteral("T")))),
                                         QStringLiteral("ENTITIES"));
    int lines = 0;
    int texts = 0;
    QStringList order;
    for (qsizetype i = 0; i < entities.size(); ++i) {
        const Pair& p = entities.at(i);
        if (p.code != 0)
            continue;
        if (p.value == QStringLiteral("LINE"))
            ++lines;
        else if (p.value == QStringLiteral("TEXT"))
            ++texts;
        else
            ADD_FAILURE() << "unexpected entity " << p.value.toStdString();
        ASSERT_LT(i + 2, entities.size());
        order.append(entities.at(i + 1).value);
        EXPECT_EQ(entities.at(i + 2).code, 330);
        EXPECT_EQ(entities.at(i + 2).value, QStringLiteral("20"));  // model space
    }
    EXPECT_EQ(lines, 27);
    EXPECT_EQ(texts, 8);
    // The title is the last entity here; its handle is 8C.
    ASSERT_FALSE(order.isEmpty());
    EXPECT_EQ(order.first(), QStringLiteral("2A"));
    EXPECT_EQ(order.last(), QStringLiteral("8C"));
}

TEST(PressureOnlyDrawing, NamesItsTwoLayoutsAndWritesThePaperLayoutInCodePage932)
{
    const QString text = CreateDxfDataB(sentinels(), QStringLiteral("T"));
    const QStringList rows = rowsOf(text);
    const QList<Pair> objects = section(pairsOf(rows), QStringLiteral("OBJECTS"));
    QStringList layouts;
    for (qsizetype i = 0; i + 1 < objects.size(); ++i) {
        if (objects.at(i).code == 100 && objects.at(i).value == QStringLiteral("AcDbLayout"))
            layouts.append(objects.at(i + 1).value);
    }
    EXPECT_EQ(layouts, (QStringList{QStringLiteral("Model"), QStringLiteral("レイアウト1")}));
    EXPECT_EQ(rows.at(2607), QStringLiteral("レイアウト1"));
    EXPECT_EQ(rows.at(2943), QStringLiteral("レイアウト1"));

    const QByteArray bytes = encodeCp932(text);
    const QByteArray name = QByteArray::fromHex("838C834383418345836731");
    EXPECT_EQ(bytes.count(name), 2);
    EXPECT_NE(bytes.indexOf("\r\n" + name + "\r\n"), -1);
    // Only the layout name is not ASCII in the fixed rows.
    QByteArray rest = bytes;
    rest.replace(name, "");
    EXPECT_EQ(rest.size(), bytes.size() - 2 * name.size());
    for (char c : rest)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_NE(bytes.indexOf("  3\r\nANSI_932\r\n"), -1);
}

TEST(PressureOnlyDrawing, KeepsEveryValueOnItsOwnRow)
{
    QStringList values = sentinels();
    values[7] = QStringLiteral("1\r\n  0\r\nEOF");
    values[0] = QStringLiteral("50\t");
    const QStringList rows = rowsOf(CreateDxfDataB(values, QStringLiteral("line\nbreak")));
    ASSERT_EQ(rows.size(), 3214);
    EXPECT_EQ(rows.at(1725), QStringLiteral("1    0  EOF"));
    EXPECT_EQ(rows.at(1781), QStringLiteral("FREE LENGTH 50 "));
    EXPECT_EQ(rows.at(2497), QStringLiteral("line break"));
}

TEST(PressureOnlyDrawing, PutsAPlaceholderLikeValueInLiterally)
{
    QStringList values = sentinels();
    values[5] = QStringLiteral("@@TOTAL_NAME@@");
    const QStringList rows = rowsOf(CreateDxfDataB(values, QStringLiteral("@@TOTAL_FINAL_LOAD@@")));
    EXPECT_EQ(rows.at(1753), QStringLiteral("@@TOTAL_NAME@@"));
    EXPECT_EQ(rows.at(2497), QStringLiteral("@@TOTAL_FINAL_LOAD@@"));
    EXPECT_EQ(rows.at(1725), QStringLiteral("v7final"));
}

TEST(PressureOnlyDrawing, RefusesTotalsWithoutTheLoadsAndSaysSoInTheLog)
{
    Sandbox sandbox;
    ExistLogFolder();
    EXPECT_EQ(CreateDxfDataB({}, QStringLiteral("T")), QString());
    EXPECT_EQ(CreateDxfDataB(QStringList(7, QStringLiteral("1")), QStringLiteral("T")), QString());
    const QString line = QStringLiteral("■Err：[modDxfDataCreater]-[CreateDxfDataB()]：インデックスが有効範囲にありません。：エラー番号 -> 9");
    EXPECT_EQ(sandbox.logMessages(), (QStringList{line, line}));
}

TEST(PressureOnlyDrawing, TemplateHoldsExactlyTheEightPlaceholderRows)
{
    const DxfTemplate& t = pressureOnlyTemplate();
    EXPECT_EQ(t.rowCount(), 3214);
    const QHash<QString, int> expected{
        {QStringLiteral("TOTAL_FINAL_LOAD"), 1726},   {QStringLiteral("TOTAL_INITIAL_LOAD"), 1754},
        {QStringLiteral("TOTAL_FREE_LENGTH"), 1782},  {QStringLiteral("TOTAL_SET_LENGTH"), 1894},
        {QStringLiteral("TOTAL_COMP_LENGTH"), 2034},  {QStringLiteral("TOTAL_STROKE"), 2426},
        {QStringLiteral("TOTAL_INITIAL_COMPRESSION"), 2462}, {QStringLiteral("TOTAL_NAME"), 2498},
    };
    EXPECT_EQ(t.placeholders().size(), expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(t.placeholderRows(it.key()), QList<int>{it.value()}) << it.key().toStdString();
    qsizetype empty = 0;
    for (const QString& row : t.rows())
        empty += row.isEmpty() ? 1 : 0;
    EXPECT_EQ(empty, 28);
}
