#include "total/vornfile.h"

#include "totaltestsupport.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;

TEST(VornFirstLine, ReadsTheFirstLineOnlyDecodedFromCodePage932)
{
    Sandbox box;
    QString line;
    const QString path = writeVorn(box.root(), QStringLiteral("a.vorn"), QStringLiteral("CreatedByVORN,合計,1"));
    ASSERT_EQ(readVornFirstLine(path, &line), VornLineStatus::Ok);
    EXPECT_EQ(line, QStringLiteral("CreatedByVORN,合計,1"));

    // LF alone, CR alone, no line end at all, an empty file.
    writeAll(box.root() + QStringLiteral("/b"), QByteArray("x,y\nsecond"));
    writeAll(box.root() + QStringLiteral("/c"), QByteArray("x,z\rsecond"));
    writeAll(box.root() + QStringLiteral("/d"), QByteArray("only"));
    writeAll(box.root() + QStringLiteral("/e"), QByteArray());
    const QList<std::pair<const char*, const char*>> cases{{"/b", "x,y"}, {"/c", "x,z"}, {"/d", "only"}, {"/e", ""}};
    for (const auto& [name, expected] : cases) {
        ASSERT_EQ(readVornFirstLine(box.root() + QString::fromLatin1(name), &line), VornLineStatus::Ok) << name;
        EXPECT_EQ(line, QString::fromLatin1(expected)) << name;
    }
}

TEST(VornFirstLine, TellsMissingUnreadableAndOverlongFilesApart)
{
    Sandbox box;
    QString line = QStringLiteral("old");
    EXPECT_EQ(readVornFirstLine(box.root() + QStringLiteral("/none.vorn"), &line), VornLineStatus::Missing);
    EXPECT_TRUE(line.isEmpty());
    EXPECT_EQ(readVornFirstLine(box.root(), &line), VornLineStatus::Unreadable);  // a folder

    QByteArray full(kMaxVornLineBytes, 'a');
    writeAll(box.root() + QStringLiteral("/full"), full + "\r\nrest");
    EXPECT_EQ(readVornFirstLine(box.root() + QStringLiteral("/full"), &line), VornLineStatus::Ok);
    EXPECT_EQ(line.size(), kMaxVornLineBytes);
    writeAll(box.root() + QStringLiteral("/long"), full + "a\r\n");
    EXPECT_EQ(readVornFirstLine(box.root() + QStringLiteral("/long"), &line), VornLineStatus::TooLong);
}

namespace {

QStringList fields(const QStringList& ten)
{
    return QStringList{QStringLiteral("CreatedByVORN")} + ten;
}

}  // namespace

TEST(CalcData, SumsTheLoadsAsTheSharedNumberText)
{
    const VornTotals t = CalcData({fields(allKind(QStringLiteral("12.5"), QStringLiteral("0.1"), QStringLiteral("100"),
                                                  QStringLiteral("12"))),
                                   fields(allKind(QStringLiteral("7.5"), QStringLiteral("0.2"), QStringLiteral("23.45"),
                                                  QStringLiteral("99")))});
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.values, (QStringList{QStringLiteral("50"), QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("45"),
                                     QStringLiteral("25"), QStringLiteral("20"), QStringLiteral("0.3"),
                                     QStringLiteral("123.45"), QStringLiteral("12")}));
}

TEST(CalcData, IgnoresTheLocaleAndReadsTheZeroSign)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const VornTotals t = CalcData({fields(allKind(QStringLiteral("---"), QString(), QStringLiteral("1.5"))),
                                   fields(allKind(QStringLiteral("2.25"), QString(), QStringLiteral("---")))});
    QLocale::setDefault(before);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.values.at(5), QStringLiteral("2.25"));
    EXPECT_EQ(t.values.at(6), QStringLiteral("0"));  // no start load anywhere
    EXPECT_EQ(t.values.at(7), QStringLiteral("1.5"));
}

TEST(CalcData, NamesTheFirstFileItCannotAdd)
{
    const QStringList good = fields(allKind());
    VornTotals t = CalcData({good, fields(allKind(QStringLiteral("abc")))});
    EXPECT_FALSE(t.ok);
    EXPECT_EQ(t.failedFile, 1);
    EXPECT_EQ(t.errorNumber, 13);
    EXPECT_TRUE(t.values.isEmpty());

    t = CalcData({fields(allKind(QString())), good});  // an empty initial load is no number
    EXPECT_EQ(t.failedFile, 0);
    EXPECT_EQ(t.errorNumber, 13);

    t = CalcData({good, good.mid(0, 10)});  // a later file may lack the start distance
    EXPECT_TRUE(t.ok);
    t = CalcData({good.mid(0, 10), good});  // the first may not
    EXPECT_EQ(t.failedFile, 0);
    EXPECT_EQ(t.errorNumber, 9);

    t = CalcData({fields(allKind(QStringLiteral("1e308"))), fields(allKind(QStringLiteral("1e308")))});
    EXPECT_EQ(t.failedFile, 1);
    EXPECT_EQ(t.errorNumber, 6);
}
