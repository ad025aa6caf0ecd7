#include "total/dxftemplate.h"

#include "support/printers.h"

#include <gtest/gtest.h>

using namespace tolvane;

TEST(DxfTemplate, KeepsEveryRowEndsItWithCrLfAndSubstitutesInOnePass)
{
    // Blanks, empty rows, a CR LF row and a last row without its line end.
    EXPECT_EQ(DxfTemplate(QByteArray("  0\nSECTION\n\n  1\r\n\nEOF")).render({}),
              QStringLiteral("  0\r\nSECTION\r\n\r\n  1\r\n\r\nEOF\r\n"));
    // Only whole marked rows are placeholders; GUID rows use braces.
    for (const char* row : {"@@@@", " @@A@@", "{9F21543F-97AE-4035-B63F-70DD79796066}"})
        EXPECT_FALSE(DxfTemplate::isPlaceholderRow(QString::fromLatin1(row))) << row;
    const DxfTemplate t(QByteArray("  1\n@@NAME@@\n  1\n@@VALUE@@\n  0\nEOF\n"));
    const auto text = t.render({{QStringLiteral("NAME"), QStringLiteral("@@VALUE@@")},
                                {QStringLiteral("VALUE"), QStringLiteral("設置長 12.5")},
                                {QStringLiteral("UNUSED"), QStringLiteral("x")}});
    EXPECT_EQ(text, QStringLiteral("  1\r\n@@VALUE@@\r\n  1\r\n設置長 12.5\r\n  0\r\nEOF\r\n"));
}

TEST(DxfTemplate, RefusesAMissingValueOrARowBreak)
{
    const DxfTemplate t(QByteArray("@@A@@\n@@B@@\n"));
    QString error;
    EXPECT_FALSE(t.render({{QStringLiteral("A"), QStringLiteral("1")}}, &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("B")));
    for (const char* broken : {"1\r\n2", "1\r2", "1\n2"}) {
        error.clear();
        const QHash<QString, QString> values{{QStringLiteral("A"), QString::fromLatin1(broken)},
                                             {QStringLiteral("B"), QString()}};
        EXPECT_FALSE(t.render(values, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("A"))) << broken;
    }
    // An empty value is an empty row, not a missing one.
    EXPECT_EQ(t.render({{QStringLiteral("A"), QString()}, {QStringLiteral("B"), QStringLiteral("b")}}),
              QStringLiteral("\r\nb\r\n"));
}

TEST(DxfSafeText, TurnsControlCharactersIntoBlanks)
{
    EXPECT_EQ(dxfSafeText(QStringLiteral("a\r\nb\tc\x7f" "d　合")), QStringLiteral("a  b c d　合"));
    // The first character and the last, and a text that is all control.
    EXPECT_EQ(dxfSafeText(QStringLiteral("SWL30\n")), QStringLiteral("SWL30 "));
    EXPECT_EQ(dxfSafeText(QStringLiteral("\x9f" "SWL30")), QStringLiteral(" SWL30"));
    EXPECT_EQ(dxfSafeText(QStringLiteral("\r")), QStringLiteral(" "));
}
