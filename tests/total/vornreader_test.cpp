#include "total/vornreader.h"

#include "support/pipe.h"
#include "totaltestsupport.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;

TEST(VornFirstLine, ReadsTheFirstLineOnlyDecodedFromCodePage932UpTo64KiB)
{
    Sandbox box;
    const QString path = box.root() + QStringLiteral("/a.vorn");
    QString line;
    // LF alone, CR alone, no line end at all, an empty file, the longest line and one byte more.
    const QByteArray full(kMaxVornLineBytes, 'a');
    const std::tuple<QByteArray, VornLineStatus, QString> files[] = {
        {encodeCp932(QStringLiteral("CreatedByVORN,合計,1\r\n\r\n※")), VornLineStatus::Ok, "CreatedByVORN,合計,1"},
        {"x\nsecond", VornLineStatus::Ok, "x"}, {"x\rsecond", VornLineStatus::Ok, "x"}, {"x", VornLineStatus::Ok, "x"},
        {"", VornLineStatus::Ok, ""}, {full + "\r\nrest", VornLineStatus::Ok, QString::fromLatin1(full)},
        {full + "a\r\n", VornLineStatus::TooLong, ""}};
    for (const auto& [bytes, status, first] : files) {
        writeAll(path, bytes);
        line = QStringLiteral("old");
        EXPECT_EQ(readVornFirstLine(path, &line), status) << bytes.left(20).toStdString();
        EXPECT_TRUE(status != VornLineStatus::Ok || line == first) << bytes.left(20).toStdString();
    }
    // Missing and unreadable files are told apart.
    line = QStringLiteral("old");
    EXPECT_EQ(readVornFirstLine(box.root() + QStringLiteral("/none.vorn"), &line), VornLineStatus::Missing);
    EXPECT_TRUE(line.isEmpty());
    EXPECT_EQ(readVornFirstLine(box.root(), &line), VornLineStatus::Unreadable);  // a folder
    VornLineStatus fromPipe = VornLineStatus::Ok;
    EXPECT_TRUE(readsPipeWithoutWaiting(box.root() + QStringLiteral("/pipe.vorn"),
                                        [&] { fromPipe = readVornFirstLine(box.root() + QStringLiteral("/pipe.vorn"), &line); }));
    EXPECT_EQ(fromPipe, VornLineStatus::Unreadable);
}

namespace {

// A data file's fields with the given loads (initial, start, final) and start distance.
QStringList fields(const char* initial, const char* start = "", const char* final = "1", const char* distance = "12")
{
    return QStringList{QStringLiteral("CreatedByVORN")}
           + allKind(QString::fromUtf8(initial), QString::fromUtf8(start), QString::fromUtf8(final),
                     QString::fromUtf8(distance));
}

}  // namespace

TEST(CalcData, SumsTheLoadsAsTheSharedNumberTextWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const VornTotals t = CalcData({fields("12.5", "0.1", "100"), fields("7.5", "0.2", "23.45", "99")});
    const VornTotals zero = CalcData({fields("---", "", "1.5"), fields("2.25", "", "---")});
    QLocale::setDefault(before);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.values, (QStringList{QStringLiteral("50"), QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("45"),
                                     QStringLiteral("25"), QStringLiteral("20"), QStringLiteral("0.3"),
                                     QStringLiteral("123.45"), QStringLiteral("12")}));
    // "---" is the program's sign for a zero load; no start load anywhere is "0".
    ASSERT_TRUE(zero.ok);
    EXPECT_EQ(zero.values.mid(5, 3), (QStringList{QStringLiteral("2.25"), QStringLiteral("0"), QStringLiteral("1.5")}));
}

TEST(CalcData, NamesTheFirstFileItCannotAdd)
{
    const QStringList good = fields("1");
    const struct {
        QList<QStringList> files;
        int failedFile;
        int errorNumber;
    } cases[] = {
        {{good, fields("abc")}, 1, 13},
        {{fields(""), good}, 0, 13},           // an empty initial load is no number
        {{good.mid(0, 10), good}, 0, 9},       // the first file must give the start distance
        {{fields("1e308"), fields("1e308")}, 1, 6},
    };
    for (const auto& c : cases) {
        const VornTotals t = CalcData(c.files);
        EXPECT_FALSE(t.ok);
        EXPECT_TRUE(t.values.isEmpty());
        EXPECT_EQ(t.failedFile, c.failedFile);
        EXPECT_EQ(t.errorNumber, c.errorNumber);
    }
    EXPECT_TRUE(CalcData({good, good.mid(0, 10)}).ok);  // a later file may lack it
}
