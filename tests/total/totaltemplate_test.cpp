// The all-values total drawing, checked by the rules of the format and the
// places the dialog relies on, not by a second copy of its rows.
#include "total/totalallvalues.h"

#include "support/sandbox.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace tolvane;
using tolvane::test::Sandbox;

namespace {

const QStringList kValues{QStringLiteral("§FREE§"),  QStringLiteral("§INICOMP§"), QStringLiteral("§STROKE§"),
                          QStringLiteral("§SET§"),   QStringLiteral("§COMP§"),    QStringLiteral("§INILOAD§"),
                          QStringLiteral("§START§"), QStringLiteral("§FINAL§"),   QStringLiteral("§DIST§")};
const QString kName = QStringLiteral("§合計線図§");

QStringList renderedRows(const QStringList& values = kValues, const QString& name = kName)
{
    const QString text = CreateDxfDataA(values, name);
    EXPECT_TRUE(text.endsWith(QStringLiteral("EOF\r\n")));
    QStringList rows = text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(rows.last(), QString());  // the text after the last CR LF
    rows.removeLast();
    return rows;
}

const QSet<int> kIntegerCodes{62, 65, 67, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 171, 172, 279, 280, 281, 290, 370, 380};

}  // namespace

TEST(TotalAllValuesDrawing, HasItsRowsInPairsOfGroupCodeAndValue)
{
    const QStringList rows = renderedRows();
    ASSERT_EQ(rows.size(), 3642);
    const QRegularExpression code(QStringLiteral("^[ ]{0,2}[0-9]{1,3}$"));
    for (int i = 0; i < rows.size(); i += 2) {
        const QString& c = rows.at(i);
        const QString& v = rows.at(i + 1);
        ASSERT_EQ(c.size(), 3) << "row " << i + 1;
        ASSERT_TRUE(code.match(c).hasMatch()) << "row " << i + 1 << " '" << c.toStdString() << "'";
        const int n = c.trimmed().toInt();
        ASSERT_EQ(QString::number(n).rightJustified(3), c) << "row " << i + 1;
        if (kIntegerCodes.contains(n) || n == 90) {
            const int width = n == 90 ? 9 : 6;
            EXPECT_EQ(v.size(), width) << "row " << i + 2;
            bool ok = false;
            const int value = v.trimmed().toInt(&ok);
            EXPECT_TRUE(ok) << "row " << i + 2;
            EXPECT_EQ(QString::number(value).rightJustified(width), v) << "row " << i + 2;
        }
    }
    // The header's own examples of the field widths.
    EXPECT_TRUE(rows.contains(QStringLiteral("  3020")));
    EXPECT_TRUE(rows.contains(QStringLiteral("    -2")));
    EXPECT_TRUE(rows.contains(QStringLiteral("        0")));
    // With plain totals and a Japanese name, only the name row and the paper
    // layout's name are not ASCII.
    const QStringList plain = renderedRows(QStringList(9, QStringLiteral("1")), QStringLiteral("合計"));
    QList<int> nonAscii;
    for (int i = 0; i < plain.size(); ++i) {
        for (QChar ch : plain.at(i)) {
            if (ch.unicode() > 0x7f) {
                nonAscii.append(i + 1);
                break;
            }
        }
    }
    EXPECT_EQ(nonAscii, (QList<int>{1530, 3036, 3372}));
}

TEST(TotalAllValuesDrawing, OpensAndClosesItsSectionsAtTheirRows)
{
    const QStringList rows = renderedRows();
    ASSERT_EQ(rows.size(), 3642);
    auto row = [&](int n) { return rows.at(n - 1); };
    const QList<std::pair<int, QString>> opens{{1, QStringLiteral("HEADER")},    {907, QStringLiteral("CLASSES")},
                                               {969, QStringLiteral("TABLES")},  {1415, QStringLiteral("BLOCKS")},
                                               {1501, QStringLiteral("ENTITIES")}, {2933, QStringLiteral("OBJECTS")}};
    QList<int> sectionRows;
    QList<int> endRows;
    for (int i = 0; i < rows.size(); i += 2) {
        if (rows.at(i) == QStringLiteral("  0") && rows.at(i + 1) == QStringLiteral("SECTION"))
            sectionRows.append(i + 1);
        if (rows.at(i) == QStringLiteral("  0") && rows.at(i + 1) == QStringLiteral("ENDSEC"))
            endRows.append(i + 1);
    }
    EXPECT_EQ(sectionRows, (QList<int>{1, 907, 969, 1415, 1501, 2933}));
    EXPECT_EQ(endRows, (QList<int>{905, 967, 1413, 1499, 2931, 3639}));
    for (const auto& [n, name] : opens) {
        EXPECT_EQ(row(n + 2), QStringLiteral("  2"));
        EXPECT_EQ(row(n + 3), name);
    }
    EXPECT_EQ(row(3641), QStringLiteral("  0"));
    EXPECT_EQ(row(3642), QStringLiteral("EOF"));
    // Rows the data model names: the 199 header variables, the empty xref paths,
    // the seams of the old writers inside LINE 4B and the model layout.
    EXPECT_EQ(rows.mid(0, 906).count(QStringLiteral("  9")), 199);
    EXPECT_EQ(row(1444), QString());
    EXPECT_EQ(row(1484), QString());
    EXPECT_EQ(row(2400), QStringLiteral("160.1228592313536"));
    EXPECT_EQ(row(2401), QStringLiteral(" 31"));
    EXPECT_EQ(row(2696), QStringLiteral("WORKING POINT"));
    EXPECT_EQ(row(3200), QStringLiteral("0.0"));
    EXPECT_EQ(row(3201), QStringLiteral(" 45"));
    for (int n : {3184, 3188, 3190, 3228, 3316, 3320, 3322, 3360, 3446, 3550})
        EXPECT_EQ(row(n), QString()) << "row " << n;
    EXPECT_EQ(row(3036), QStringLiteral("レイアウト1"));
    EXPECT_EQ(row(3372), QStringLiteral("レイアウト1"));
}

TEST(TotalAllValuesDrawing, PutsNameAndTotalsExactlyAtTheirValueRows)
{
    const QStringList rows = renderedRows();
    ASSERT_EQ(rows.size(), 3642);
    const QList<std::pair<int, QString>> expected{
        {1530, kName},
        {1756, kValues.at(7)},
        {1784, kValues.at(5)},
        {1812, QStringLiteral("FREE LENGTH ") + kValues.at(0)},
        {1924, QStringLiteral("SET LENGTH ") + kValues.at(3)},
        {2064, QStringLiteral("COMP.LENGTH ") + kValues.at(4)},
        {2456, kValues.at(2) + QStringLiteral(" ST")},
        {2492, kValues.at(1)},
        {2612, kValues.at(6)},
        {2920, kValues.at(8)},
    };
    for (const auto& [n, text] : expected) {
        EXPECT_EQ(rows.at(n - 1), text) << "row " << n;
        // Each value row is a TEXT's text row ("  1").
        EXPECT_EQ(rows.at(n - 2), QStringLiteral("  1")) << "row " << n;
    }
    // No sentinel shows anywhere else.
    QList<int> marked;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).contains(QLatin1Char(u'§')))
            marked.append(i + 1);
    }
    EXPECT_EQ(marked, (QList<int>{1530, 1756, 1784, 1812, 1924, 2064, 2456, 2492, 2612, 2920}));

    // Empty totals still give every row: the prefixes keep their blank.
    const QStringList empty = renderedRows(QStringList(9, QString()), QStringLiteral(" "));
    ASSERT_EQ(empty.size(), 3642);
    EXPECT_EQ(empty.at(1811), QStringLiteral("FREE LENGTH "));
    EXPECT_EQ(empty.at(2455), QStringLiteral(" ST"));
    EXPECT_EQ(empty.at(2611), QString());
    EXPECT_EQ(empty.at(1529), QStringLiteral(" "));
}

TEST(TotalAllValuesDrawing, HandlesAreUniqueAndEveryReferenceResolves)
{
    const QStringList rows = renderedRows();
    ASSERT_EQ(rows.size(), 3642);
    QSet<QString> handles;
    QList<std::pair<int, QString>> references;
    QString handSeed;
    for (int i = 0; i < rows.size(); i += 2) {
        const int code = rows.at(i).trimmed().toInt();
        const QString& v = rows.at(i + 1);
        if (code == 5 || code == 105) {
            if (i > 0 && rows.at(i - 1) == QStringLiteral("$HANDSEED")) {
                handSeed = v;
                continue;
            }
            EXPECT_FALSE(handles.contains(v)) << "handle " << v.toStdString() << " twice, row " << i + 2;
            handles.insert(v);
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^[1-9A-F][0-9A-F]*$")).match(v).hasMatch()) << v.toStdString();
        } else if (code == 330 || code == 340 || code == 350 || code == 360 || code == 390) {
            references.append({i + 2, v});
        }
    }
    EXPECT_EQ(handSeed, QStringLiteral("AB"));
    unsigned highest = 0;
    for (const QString& h : handles)
        highest = std::max(highest, h.toUInt(nullptr, 16));
    EXPECT_EQ(highest, 0xAAu);
    for (const auto& [row, ref] : references) {
        if (ref == QStringLiteral("0"))
            continue;  // no owner
        EXPECT_TRUE(handles.contains(ref)) << "row " << row << " names " << ref.toStdString();
    }
    // The handles the entities skip, and the block handles used nowhere else.
    for (const char* h : {"2E", "31", "43"})
        EXPECT_FALSE(handles.contains(QString::fromLatin1(h)));
    EXPECT_EQ(rows.count(QStringLiteral("21")), 1);
    EXPECT_EQ(rows.count(QStringLiteral("1D")), 1);
}

TEST(TotalAllValuesDrawing, ObjectsSectionAndEndHoldTheirStatedCharacters)
{
    const QStringList rows = renderedRows();
    ASSERT_EQ(rows.size(), 3642);
    qsizetype characters = 0;
    for (int n = 2933; n <= 3642; ++n)
        characters += rows.at(n - 1).size() + 2;
    EXPECT_EQ(characters, 4611);
    // The same rows whatever the totals and the name.
    const QStringList other = renderedRows(QStringList(9, QStringLiteral("1")), QStringLiteral("別の名前"));
    EXPECT_EQ(rows.mid(2932), other.mid(2932));
    EXPECT_EQ(rows.mid(0, 1529), other.mid(0, 1529));
}

TEST(TotalAllValuesDrawing, RefusesTotalsThatAreNotNineOrWouldBreakARow)
{
    Sandbox box;
    ExistLogFolder();
    EXPECT_TRUE(CreateDxfDataA(QStringList(8, QStringLiteral("1")), QStringLiteral("a")).isEmpty());
    QStringList broken(9, QStringLiteral("1"));
    broken[3] = QStringLiteral("1\n2");
    EXPECT_TRUE(CreateDxfDataA(broken, QStringLiteral("a")).isEmpty());
    EXPECT_TRUE(CreateDxfDataA(QStringList(9, QStringLiteral("1")), QStringLiteral("a\r\nb")).isEmpty());
    const QStringList log = box.logMessages();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log.at(0), QStringLiteral("■Err：[modDxfDataCreater]-[CreateDxfDataA()]：インデックスが有効範囲にありません。：エラー番号 -> 9"));
    EXPECT_TRUE(log.at(1).startsWith(QStringLiteral("■Err：[modDxfDataCreater]-[CreateDxfDataA()]：")));
}
