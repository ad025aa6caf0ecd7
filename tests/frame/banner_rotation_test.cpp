// Which message the banner shows, tick after tick, and what a click opens;
// the message file comes from a server on this machine.

#include "banner_fakes.h"
#include "banner_testserver.h"

#include "frame/banner.h"
#include "frame/webservers.h"
#include "services/cp932.h"
#include "services/folders.h"
#include "services/vberror.h"
#include "support/sandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QMouseEvent>
#include <QThread>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using banner::FakeFetcher;
using banner::FixedRandom;
using banner::ManualTimer;
using banner::RecordingUi;

const QString kDb = QStringLiteral("2024.04");
const QString kSoft = QStringLiteral("2017.11 Ver 2.0.3");

// Row 0 and the two notices, then one ordinary message per text.
QByteArray csv(const QString& interval, const QString& db, const QString& soft, const QStringList& messages,
               const QString& row3Link = {})
{
    QString text = interval + u',' + db + u',' + soft + QStringLiteral("\r\n")
        + QStringLiteral("DB,http://example.com/db,2,255,12\r\n") + QStringLiteral("SOFT,,2,65280,12\r\n");
    for (qsizetype i = 0; i < messages.size(); ++i)
        text += messages[i] + u',' + (i == 0 ? row3Link : QString()) + QStringLiteral(",0,16777215,10\r\n");
    return encodeCp932(text);
}

class BannerRotation : public ::testing::Test {
protected:
    BannerRotation() : banner_(ui_)
    {
        ExistSettingFolder();
        ExistLogFolder();
        banner_.setMessageServer(server_.base());
        banner_.setDownloadTimeoutMs(3000);
        auto timer = std::make_unique<ManualTimer>();
        timer_ = timer.get();
        banner_.setTimer(std::move(timer));
        banner_.setDatabaseVersionReader([] { return kDb; });
    }

    void start(const QByteArray& file, QList<float> randoms = {0.0f})
    {
        auto random = std::make_unique<FixedRandom>(std::move(randoms));
        random_ = random.get();
        banner_.setRandomSource(std::move(random));
        server_.route(QStringLiteral("/vorn/Vornup-B.csv"), {200, file});
        if (fetcher_)
            fetcher_->files.insert(messageCsvUrl(banner_.messageServer()), file);
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

    banner::LoggedSandbox sandbox_;
    RecordingUi ui_;
    TestHttpServer server_;
    MessageBanner banner_;
    FakeFetcher* fetcher_ = nullptr;  // only when a test puts one in
    ManualTimer* timer_ = nullptr;
    FixedRandom* random_ = nullptr;
};

struct VersionCase {
    bool dbCurrent;
    bool softCurrent;
    QStringList expected;  // the first message and the next three
};

class VersionMatrix : public BannerRotation, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionMatrix, FirstMessageAndTheOnesAfter)
{
    const VersionCase& c = GetParam();
    start(csv(QStringLiteral("1"), c.dbCurrent ? kDb : QStringLiteral("2025.01"),
              c.softCurrent ? kSoft : QStringLiteral("2025.01 Ver 3.0.0"), {QStringLiteral("M3"), QStringLiteral("M4")}));
    QStringList shown{banner_.bannerText()};
    shown += shownOverTicks(3);
    EXPECT_EQ(shown, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionMatrix,
    ::testing::Values(VersionCase{true, true, {"M3", "M3", "M3", "M3"}},
                      VersionCase{false, true, {"DB", "M3", "DB", "M3"}},
                      VersionCase{true, false, {"SOFT", "SOFT", "SOFT", "SOFT"}},
                      VersionCase{false, false, {"DB", "SOFT", "DB", "SOFT"}}));

TEST_F(BannerRotation, TheDatabaseNoticeCarriesItsRowsLookAndLink)
{
    start(csv(QStringLiteral("1"), QStringLiteral("old"), kSoft, {QStringLiteral("M3")}));
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("DB"));
    EXPECT_EQ(banner_.bannerAlignment(), 2);
    EXPECT_EQ(banner_.bannerForeColor(), 255u);
    EXPECT_EQ(banner_.bannerFontSize(), 12.0f);
    EXPECT_EQ(banner_.shownMsgLink(), QStringLiteral("http://example.com/db"));
    EXPECT_TRUE(banner_.showsLinkPointer());
    EXPECT_EQ(banner_.updateMsgTurn(), QStringLiteral("SOFT"));
    banner_.lblMsg_Click();
    EXPECT_EQ(ui_.opened, QStringList{QStringLiteral("http://example.com/db")});
}

TEST_F(BannerRotation, RowThreeTakesThePicksOfBothNoticeRows)
{
    // Five message rows below row 0: picks 1, 2 and 3 all show row 3.
    QList<float> randoms;
    for (int k = 0; k < 51; ++k)
        randoms.append((float(k % 50) + 0.5f) / 50.0f);
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3"), QStringLiteral("M4"), QStringLiteral("M5")}),
          randoms);
    EXPECT_EQ(banner_.msgCount(), 5);
    QMap<QString, int> counts;
    for (const QString& text : shownOverTicks(50))
        ++counts[text];
    EXPECT_EQ(counts.value(QStringLiteral("M3")), 30);
    EXPECT_EQ(counts.value(QStringLiteral("M4")), 10);
    EXPECT_EQ(counts.value(QStringLiteral("M5")), 10);
    EXPECT_EQ(counts.size(), 3);
}

TEST_F(BannerRotation, ThePickIsTheIntegerPartOfCountTimesRandomPlusOne)
{
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3"), QStringLiteral("M4"), QStringLiteral("M5")}),
          {0.0f, 0.59f, 0.61f, 0.79f, 0.81f, 0.9999999f});
    EXPECT_EQ(banner_.msgIndex(), 3);  // pick 1 moved to row 3
    QList<int> indices;
    for (int i = 0; i < 5; ++i) {
        timer_->tick();
        indices.append(banner_.msgIndex());
    }
    EXPECT_EQ(indices, (QList<int>{3, 4, 4, 5, 5}));
}

TEST_F(BannerRotation, WithOnlyRowThreeEveryChangeShowsIt)
{
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3")}), {0.1f, 0.5f, 0.9f, 0.99f});
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("M3"));
    EXPECT_EQ(shownOverTicks(3), (QStringList{"M3", "M3", "M3"}));
}

TEST_F(BannerRotation, AnIntervalOfFiveChangesEveryFifthTick)
{
    start(csv(QStringLiteral("5"), kDb, kSoft, {QStringLiteral("M3"), QStringLiteral("M4")}), {0.0f, 0.9f, 0.0f});
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("M3"));
    EXPECT_EQ(shownOverTicks(5), (QStringList{"M3", "M3", "M3", "M3", "M4"}));
    EXPECT_EQ(banner_.msgTick(), 1);
    EXPECT_EQ(shownOverTicks(5), (QStringList{"M4", "M4", "M4", "M4", "M3"}));
    // Every change seeds the generator anew.
    EXPECT_EQ(random_->seeds, 3);
}

TEST_F(BannerRotation, ATickCounterAtItsLimitLogsAnOverflowAtEveryTick)
{
    start(csv(QStringLiteral("40000"), kDb, kSoft, {QStringLiteral("M3")}));
    banner_.setMsgTick(32766);
    timer_->tick();
    EXPECT_EQ(banner_.msgTick(), 32767);
    timer_->tick();
    timer_->tick();
    EXPECT_EQ(banner_.msgTick(), 32767);
    EXPECT_EQ(sandbox_.logMessages().filter(QStringLiteral("■Err：[frmMain]-[Timer1_Timer()]：")).size(), 2);
}

TEST_F(BannerRotation, AnUnreadableCatalogueVersionLetsTheDatabaseNoticeIn)
{
    banner_.setDatabaseVersionReader([]() -> QString { throw VbError(kErrFileNotFound); });
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3")}));
    EXPECT_EQ(banner_.dbVersion(), QString());
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("DB"));
    EXPECT_TRUE(sandbox_.logMessages().contains(
        QStringLiteral("■Err：[frmMain]-[CheckDatabaseVer()]：ファイルが見つかりません。：エラー番号 -> 53")));
}

// Colour numbers with the top bit set name the system's colours, and a
// message row may use them like any other colour number.
TEST_F(BannerRotation, AMessageMayTakeASystemColour)
{
    QString text = QStringLiteral("1,%1,%2\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\n").arg(kDb, kSoft);
    text += QStringLiteral("M3,,0,-2147483640,10\r\n");  // 0x80000008 Window Text
    text += QStringLiteral("M4,,0,-2147483629,10\r\n");  // 0x80000013 Inactive Caption Text
    start(encodeCp932(text), {0.0f, 0.9f});
    EXPECT_TRUE(banner_.msgLoaded());
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("M3"));
    EXPECT_EQ(banner_.bannerForeColor(), 0x80000008u);
    EXPECT_EQ(banner_.lblMsg()->palette().color(QPalette::WindowText), QGuiApplication::palette().color(QPalette::WindowText));
    timer_->tick();
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("M4"));
    EXPECT_EQ(banner_.bannerForeColor(), 0x80000013u);
}

TEST_F(BannerRotation, TheBannerTextIsNeverMarkup)
{
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("<a href=\"file:///bin/sh\">押す</a>")}));
    EXPECT_EQ(banner_.lblMsg()->textFormat(), Qt::PlainText);
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("<a href=\"file:///bin/sh\">押す</a>"));
    EXPECT_FALSE(banner_.lblMsg()->openExternalLinks());
    banner_.lblMsg_Click();
    EXPECT_TRUE(ui_.opened.isEmpty());
}

TEST_F(BannerRotation, TheCacheLineOnlyWhenACopyWasDropped)
{
    auto fetcher = std::make_unique<FakeFetcher>();
    fetcher_ = fetcher.get();
    banner_.setFetcher(std::move(fetcher));
    fetcher_->cached = true;
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3")}));
    EXPECT_EQ(fetcher_->dropped, QStringList{messageCsvUrl(server_.base())});
    EXPECT_TRUE(banner_.msgLoaded());
    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：キャッシュを削除")));
    // The network fetcher keeps no cache, so it never has a copy to drop.
    EXPECT_FALSE(NetworkFetcher().removeCached(messageCsvUrl()));
}

TEST_F(BannerRotation, CleaningUpStopsTheTimerAndEmptiesTheState)
{
    start(csv(QStringLiteral("1"), QStringLiteral("old"), kSoft, {QStringLiteral("M3")}));
    ASSERT_TRUE(timer_->isEnabled());
    banner_.CleaningUp();
    EXPECT_FALSE(timer_->isEnabled());
    EXPECT_EQ(banner_.msgTick(), 0);
    EXPECT_EQ(banner_.msgIndex(), 0);
    EXPECT_EQ(banner_.msgCount(), 0);
    EXPECT_EQ(banner_.shownMsgLink(), QString());
    EXPECT_TRUE(banner_.msgData().isEmpty());
    const QString before = banner_.bannerText();
    timer_->tick();
    EXPECT_EQ(banner_.bannerText(), before);
    banner_.lblMsg_Click();
    EXPECT_TRUE(ui_.opened.isEmpty());
}

// Only web addresses open; anything else is no link at all.
struct LinkCase {
    const char* link;
    bool opens;
};

class BannerLink : public BannerRotation, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(BannerLink, OpensOnlyHttpAndHttps)
{
    const LinkCase& c = GetParam();
    const QString link = QString::fromUtf8(c.link);
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3")}, link));
    EXPECT_EQ(banner_.shownMsgLink(), link);
    EXPECT_EQ(banner_.showsLinkPointer(), c.opens);
    EXPECT_EQ(banner_.lblMsg()->cursor().shape() == Qt::ArrowCursor, !c.opens);
    banner_.lblMsg_Click();
    EXPECT_EQ(ui_.opened, c.opens ? QStringList{link} : QStringList());
    EXPECT_EQ(MessageBanner::isOpenableLink(link), c.opens);
}

INSTANTIATE_TEST_SUITE_P(Links, BannerLink,
                         ::testing::Values(LinkCase{"http://example.com/news", true},
                                           LinkCase{"https://www.example.com/a?b=1&c=2#d", true},
                                           LinkCase{"HTTPS://EXAMPLE.COM/", true},
                                           LinkCase{"https://example.com/お知らせ/", true},
                                           LinkCase{"", false},
                                           LinkCase{"file:///usr/bin/xterm", false},
                                           LinkCase{"/usr/bin/xterm", false},
                                           LinkCase{"calc", false},
                                           LinkCase{"C:\\Windows\\system32\\calc.exe", false},
                                           LinkCase{"javascript:alert(1)", false},
                                           LinkCase{"mailto:someone@example.com", false},
                                           LinkCase{"ftp://example.com/x", false},
                                           LinkCase{"http://", false},
                                           LinkCase{"http://exa mple.com/", false},
                                           LinkCase{" http://example.com/", false}));

TEST_F(BannerRotation, ClickingTheLabelItselfOpensTheLink)
{
    start(csv(QStringLiteral("1"), kDb, kSoft, {QStringLiteral("M3")}, QStringLiteral("http://example.com/x")));
    QLabel* label = banner_.lblMsg();
    label->resize(200, 20);
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, label->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, label->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    QCoreApplication::sendEvent(label, &release);
    EXPECT_EQ(ui_.opened, QStringList{QStringLiteral("http://example.com/x")});
}

TEST(BannerTimer, TicksEveryMinuteAndEnablingTwiceKeepsItsMinute)
{
    QtBannerTimer timer;
    EXPECT_EQ(timer.intervalMs(), 60000);
    EXPECT_FALSE(timer.isEnabled());
    timer.setEnabled(true);
    EXPECT_TRUE(timer.isEnabled());
    QThread::msleep(150);
    timer.setEnabled(true);
    EXPECT_LE(timer.remainingMs(), 59900);
    timer.setEnabled(false);
    EXPECT_FALSE(timer.isEnabled());
}

TEST(BannerPictures, MissingPicturesRaiseTheirErrorAndTheBannerStillWorks)
{
    banner::LoggedSandbox sandbox;
    RecordingUi ui;
    MessageBanner banner(ui);
    try {
        banner.loadBackground();
        ADD_FAILURE() << "no error for a missing picture";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), kErrFileNotFound);
    }
    QDir().mkpath(MaterialsFolder());
    writeAll(MaterialsFolder() + QStringLiteral("/cursor.cur"), "not a cursor");
    try {
        banner.loadLinkCursor();
        ADD_FAILURE() << "no error for a broken cursor";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 481);
    }
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(MaterialsFolder() + QStringLiteral("/back_msg.gif")) ||
                image.save(MaterialsFolder() + QStringLiteral("/back_msg.gif"), "PNG"));
    EXPECT_NO_THROW(banner.loadBackground());
    QImage cursor(16, 16, QImage::Format_ARGB32);
    cursor.fill(Qt::black);
    ASSERT_TRUE(cursor.save(MaterialsFolder() + QStringLiteral("/cursor.cur"), "CUR") ||
                cursor.save(MaterialsFolder() + QStringLiteral("/cursor.cur"), "PNG"));
    EXPECT_NO_THROW(banner.loadLinkCursor());
    banner.SetDefaultMsg();
    EXPECT_EQ(banner.bannerText(), QStringLiteral("Tolvane"));
}

}  // namespace
}  // namespace tolvane::test
