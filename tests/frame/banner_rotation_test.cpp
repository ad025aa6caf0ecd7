// Which message the banner shows, tick after tick, and what a click opens;
// the message file comes from a server on this machine.

#include "banner_fakes.h"

#include "services/vberror.h"

#include <QDeadlineTimer>
#include <QThread>

namespace tolvane::test {
namespace {

const QString kDb = QStringLiteral("2024.04");
const QString kSoft = QStringLiteral("2017.11 Ver 2.0.3");

using banner::csv;
const QStringList kM345{QStringLiteral("M3"), QStringLiteral("M4"), QStringLiteral("M5")};

class BannerRotation : public banner::BannerFixture {
protected:
    void start(const QByteArray& file, QList<float> randoms = {0.0f})
    {
        useRandoms(std::move(randoms));
        server_.route(QStringLiteral("/vorn/Vornup-B.csv"), {200, file});
        banner_.setMsgTick(1);
        banner_.InitMsgBanner();
    }
    // The banner's text after each of n ticks.
    QStringList shownOverTicks(int n)
    {
        QStringList shown;
        for (int i = 0; i < n; ++i) {
            timer_->tick();
            shown.append(banner_.bannerText());
        }
        return shown;
    }
};

TEST_F(BannerRotation, TheDatabaseNoticeCarriesItsRowsLookAndLink)
{
    start(csv(QStringLiteral("1"), QStringLiteral("old"), kSoft, {QStringLiteral("M3")}));
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("DB"));
    EXPECT_EQ(banner_.bannerAlignment(), 2);
    EXPECT_EQ(banner_.bannerForeColor(), 255u);
    EXPECT_EQ(banner_.bannerFontSize(), 12.0f);
    banner_.lblMsg_Click();
    EXPECT_EQ(ui_.opened, QStringList{QStringLiteral("http://example.com/db")});

    // Cleaning up stops the timer and forgets the link.
    banner_.CleaningUp();
    EXPECT_FALSE(timer_->isEnabled());
    banner_.lblMsg_Click();
    EXPECT_EQ(ui_.opened.size(), 1);
}

// Five rows below row 0: the pick is int(5 x random + 1), and picks 1 and 2
// (the notice rows, both current) show row 3 instead.
TEST_F(BannerRotation, ThePickIsTheIntegerPartOfCountTimesRandomPlusOne)
{
    start(csv(QStringLiteral("1"), kDb, kSoft, kM345), {0.0f, 0.39f, 0.41f, 0.59f, 0.61f, 0.79f, 0.81f, 0.9999999f});
    QList<int> indices{banner_.msgIndex()};
    for (int i = 0; i < 7; ++i) {
        timer_->tick();
        indices.append(banner_.msgIndex());
    }
    EXPECT_EQ(indices, (QList<int>{3, 3, 3, 3, 4, 4, 5, 5}));
}

TEST_F(BannerRotation, AnIntervalOfFiveChangesEveryFifthTick)
{
    start(csv(QStringLiteral("5"), kDb, kSoft, {QStringLiteral("M3"), QStringLiteral("M4")}), {0.0f, 0.9f, 0.0f});
    EXPECT_EQ(shownOverTicks(10), (QStringList{"M3", "M3", "M3", "M3", "M4", "M4", "M4", "M4", "M4", "M3"}));
    EXPECT_EQ(random_->seeds, 3);  // every change seeds the generator anew
}

TEST_F(BannerRotation, ATickCounterAtItsLimitLogsAnOverflowAtEveryTick)
{
    start(csv(QStringLiteral("40000"), kDb, kSoft, {QStringLiteral("M3")}));
    banner_.setMsgTick(32766);
    for (int i = 0; i < 3; ++i)
        timer_->tick();
    EXPECT_EQ(banner_.msgTick(), 32767);
    EXPECT_EQ(sandbox_.logMessages().filter(QStringLiteral("■Err：[frmMain]-[Timer1_Timer()]：")).size(), 2);
}

TEST_F(BannerRotation, AnUnreadableCatalogueVersionLetsTheDatabaseNoticeIn)
{
    banner_.setDatabaseVersionReader([]() -> QString { throw VbError(kErrFileNotFound); });
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3")}));
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("DB"));
    EXPECT_TRUE(sandbox_.logMessages().contains(
        QStringLiteral("■Err：[frmMain]-[CheckDatabaseVer()]：ファイルが見つかりません。：エラー番号 -> 53")));
}

// Which rows show, first and after each of three ticks: the notices of old
// versions take turns with the messages. A row that cannot be shown is left
// out with one error line and the others go on; empty lines at the end are
// no rows at all.
struct RotationCase {
    const char* name;
    bool dbCurrent, softCurrent;
    QStringList rows;      // the rows after row 0
    int errorLines;
    QStringList expected;  // the first message and the next three
};
void PrintTo(const RotationCase& c, std::ostream* os) { *os << c.name; }
class Rotation : public BannerRotation, public ::testing::WithParamInterface<RotationCase> {};

TEST_P(Rotation, ShowsTheRowsThatCanBeShown)
{
    const RotationCase& c = GetParam();
    const QString head = QStringLiteral("1,%1,%2\r\n").arg(c.dbCurrent ? kDb : QStringLiteral("2025.01"),
                                                          c.softCurrent ? kSoft : QStringLiteral("2025.01 Ver 3.0.0"));
    start(encodeCp932(head + c.rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")), {0.0f, 0.99f});
    QStringList shown{banner_.bannerText()};
    shown += shownOverTicks(3);
    EXPECT_EQ(shown, c.expected);
    EXPECT_TRUE(banner_.msgLoaded());
    const QStringList errors = sandbox_.logMessages().filter(QStringLiteral("■Err："));
    EXPECT_EQ(errors.size(), c.errorLines) << errors.join(u'\n').toStdString();
    EXPECT_EQ(errors.filter(QStringLiteral("[InitMsgBanner()]")).size(), c.errorLines);
}

const QString kDbRow = QStringLiteral("DB,,2,255,12");
const QString kSoftRow = QStringLiteral("SOFT,,2,65280,12");
INSTANTIATE_TEST_SUITE_P(
    Files, Rotation,
    ::testing::Values(
        RotationCase{"BothCurrent", true, true, {kDbRow, kSoftRow, "M3,,0,0,10"}, 0, {"M3", "M3", "M3", "M3"}},
        RotationCase{"DatabaseOld", false, true, {kDbRow, kSoftRow, "M3,,0,0,10"}, 0, {"DB", "M3", "DB", "M3"}},
        RotationCase{"ProgramOld", true, false, {kDbRow, kSoftRow, "M3,,0,0,10"}, 0, {"SOFT", "SOFT", "SOFT", "SOFT"}},
        RotationCase{"BothOld", false, false, {kDbRow, kSoftRow, "M3,,0,0,10"}, 0, {"DB", "SOFT", "DB", "SOFT"}},
        RotationCase{"TrailingEmptyLines", true, true, {kDbRow, kSoftRow, "M3,,0,0,10", "", ""}, 0, {"M3", "M3", "M3", "M3"}},
        RotationCase{"BadMessage", true, true, {kDbRow, kSoftRow, "M3,,0,0,10", "M4,,0,0", "M5,,0,0,10"}, 1,
                     {"M3", "M5", "M5", "M5"}},
        RotationCase{"BadDatabaseNotice", false, true, {"DB,,left,255,12", kSoftRow, "M3,,0,0,10"}, 1, {"M3", "M3", "M3", "M3"}},
        RotationCase{"NoGoodMessage", false, true, {kDbRow, kSoftRow, "M3,,0,0,0"}, 1, {"DB", "Tolvane", "DB", "Tolvane"}},
        RotationCase{"NoMessageRow", false, true, {kDbRow, kSoftRow}, 0, {"DB", "Tolvane", "DB", "Tolvane"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Colour numbers with the top bit set name the system's colours, and a
// message row may use them like any other colour number.
TEST_F(BannerRotation, AMessageMayTakeASystemColour)
{
    // 0x80000008 Window Text
    start(encodeCp932(QStringLiteral("1,%1,%2\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\nM3,,0,-2147483640,10\r\n").arg(kDb, kSoft)));
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("M3"));
    EXPECT_EQ(banner_.bannerForeColor(), 0x80000008u);
}

TEST_F(BannerRotation, TheBannerTextIsNeverMarkup)
{
    const QString markup = QStringLiteral("<a href=\"file:///bin/sh\">押す</a>");
    start(csv(QStringLiteral("1"), kDb, kSoft, {markup}));
    EXPECT_EQ(banner_.lblMsg()->textFormat(), Qt::PlainText);
    EXPECT_EQ(banner_.bannerText(), markup);
    banner_.lblMsg_Click();
    EXPECT_TRUE(ui_.opened.isEmpty());
}

// Only web addresses open; anything else is no link at all.
struct LinkCase {
    const char* name;
    const char* link;
    bool opens;
};
void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
class BannerLink : public BannerRotation, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(BannerLink, OpensOnlyHttpAndHttps)
{
    const QString link = QString::fromUtf8(GetParam().link);
    const bool opens = GetParam().opens;
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3")}, link));
    EXPECT_EQ(banner_.lblMsg()->cursor().shape() == Qt::ArrowCursor, !opens);
    banner_.lblMsg()->resize(200, 20);
    click(banner_.lblMsg());
    EXPECT_EQ(ui_.opened, opens ? QStringList{link} : QStringList());
}

INSTANTIATE_TEST_SUITE_P(Links, BannerLink,
                         ::testing::Values(LinkCase{"Http", "http://example.com/news", true},
                                           LinkCase{"HttpsInUpperCase", "HTTPS://EXAMPLE.COM/a?b=1&c=2#d", true},
                                           LinkCase{"Empty", "", false},
                                           LinkCase{"FileUrl", "file:///usr/bin/xterm", false},
                                           LinkCase{"Path", "/usr/bin/xterm", false},
                                           LinkCase{"WindowsPath", "C:\\Windows\\system32\\calc.exe", false},
                                           LinkCase{"Script", "javascript:alert(1)", false},
                                           LinkCase{"Ftp", "ftp://example.com/x", false},
                                           LinkCase{"HttpWithoutHost", "http://", false},
                                           LinkCase{"LeadingBlank", " http://example.com/", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Enabling the running timer again leaves its minute as it was: what is
// left of it never grows. Once the timer itself counts a tenth of a second
// gone, a new minute would give that back.
TEST(BannerTimer, TicksEveryMinuteAndEnablingTwiceKeepsItsMinute)
{
    QtBannerTimer timer;
    EXPECT_EQ(timer.intervalMs(), 60000);
    timer.setEnabled(true);
    ASSERT_TRUE(timer.isEnabled());
    // A tenth of a second takes that long on any machine; a minute that
    // never runs fails at the bound instead of holding the test.
    const QDeadlineTimer bound(10000);
    int left = timer.remainingMs();
    while (left > 59900 && !bound.hasExpired()) {
        QThread::msleep(10);
        left = timer.remainingMs();
    }
    ASSERT_LE(left, 59900) << "the timer's minute does not run";
    timer.setEnabled(true);
    EXPECT_LE(timer.remainingMs(), left);
    timer.setEnabled(false);
    EXPECT_FALSE(timer.isEnabled());
}

}  // namespace
}  // namespace tolvane::test
