#include "total/dxftemplate.h"

#include "support/sandbox.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tolvane;
using tolvane::test::readAll;
using tolvane::test::Sandbox;
using tolvane::test::writeAll;

TEST(DxfTemplate, KeepsBlanksEmptyRowsAndTheLastRow)
{
    const DxfTemplate t(QByteArray("  0\nSECTION\n\n  1\r\n\nEOF\n"));
    ASSERT_EQ(t.rowCount(), 6);
    EXPECT_EQ(t.rows().at(0), QStringLiteral("  0"));
    EXPECT_EQ(t.rows().at(2), QString());
    EXPECT_EQ(t.rows().at(3), QStringLiteral("  1"));  // a stray CR is no part of the row
    EXPECT_EQ(t.rows().at(4), QString());
    EXPECT_EQ(t.rows().at(5), QStringLiteral("EOF"));
    // Without the final line end the last row is still there.
    EXPECT_EQ(DxfTemplate(QByteArray("a\nb")).rowCount(), 2);
}

TEST(DxfTemplate, RendersEveryRowWithCrLfAndSubstitutesInOnePass)
{
    const DxfTemplate t(QByteArray("  1\n@@NAME@@\n  1\n@@VALUE@@\n  0\nEOF\n"));
    EXPECT_EQ(t.placeholders(), (QStringList{QStringLiteral("NAME"), QStringLiteral("VALUE")}));
    EXPECT_EQ(t.placeholderRows(QStringLiteral("VALUE")), QList<int>{4});
    QString error;
    const auto text = t.render({{QStringLiteral("NAME"), QStringLiteral("@@VALUE@@")},
                                {QStringLiteral("VALUE"), QStringLiteral("設置長 12.5")},
                                {QStringLiteral("UNUSED"), QStringLiteral("x")}},
                               &error);
    ASSERT_TRUE(text.has_value()) << error.toStdString();
    EXPECT_EQ(*text, QStringLiteral("  1\r\n@@VALUE@@\r\n  1\r\n設置長 12.5\r\n  0\r\nEOF\r\n"));
}

TEST(DxfTemplate, RefusesAMissingValueOrARowBreakBeforeBuildingAnything)
{
    const DxfTemplate t(QByteArray("@@A@@\n@@B@@\n"));
    QString error;
    EXPECT_FALSE(t.render({{QStringLiteral("A"), QStringLiteral("1")}}, &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("B")));
    error.clear();
    EXPECT_FALSE(t.render({{QStringLiteral("A"), QStringLiteral("1\r\n2")}, {QStringLiteral("B"), QString()}}, &error)
                     .has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("A")));
    // An empty value is an empty row, not a missing one.
    EXPECT_EQ(t.render({{QStringLiteral("A"), QString()}, {QStringLiteral("B"), QStringLiteral("b")}}),
              QStringLiteral("\r\nb\r\n"));
}

TEST(DxfTemplate, OnlyWholeMarkedRowsArePlaceholders)
{
    EXPECT_FALSE(DxfTemplate::isPlaceholderRow(QStringLiteral("@@@@")));
    EXPECT_FALSE(DxfTemplate::isPlaceholderRow(QStringLiteral(" @@A@@")));
    EXPECT_FALSE(DxfTemplate::isPlaceholderRow(QStringLiteral("{9F21543F-97AE-4035-B63F-70DD79796066}")));
    EXPECT_EQ(DxfTemplate::placeholderName(QStringLiteral("@@TOTAL_NAME@@")), QStringLiteral("TOTAL_NAME"));
}

TEST(DxfSafeText, TurnsControlCharactersIntoBlanks)
{
    EXPECT_EQ(dxfSafeText(QStringLiteral("a\r\nb\tc\x7f" "d")), QStringLiteral("a  b c d"));
    EXPECT_EQ(dxfSafeText(QStringLiteral("合計　線図")), QStringLiteral("合計　線図"));
}

TEST(SaveDxf, WritesCodePage932AndReportsAFailedSave)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/out.dxf");
    ASSERT_TRUE(saveDxf(path, QStringLiteral("レイアウト1\r\n😀\r\n")));
    EXPECT_EQ(readAll(path), QByteArray("\x83\x8c\x83\x43\x83\x41\x83\x45\x83\x67" "1\r\n?\r\n"));

    // A folder that does not exist: refused, with a reason.
    QString error;
    EXPECT_FALSE(saveDxf(box.root() + QStringLiteral("/missing/out.dxf"), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}
