// The banner's start-up against a real HTTP server on this machine.

#include "banner_fakes.h"
#include "banner_testserver.h"

#include "frame/banner.h"
#include "frame/webservers.h"
#include "services/cp932.h"
#include "services/folders.h"
#include "support/sandbox.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using banner::FixedRandom;
using banner::ManualTimer;
using banner::RecordingUi;

QByteArray messageFile(const QString& dbVersion = QStringLiteral("2024.04"),
                       const QString& softVersion = QStringLiteral("2017.11 Ver 2.0.3"))
{
    const QString text = QStringLiteral("1,") + dbVersion + u',' + softVersion + QStringLiteral("\r\n")
        + QStringLiteral("データベースが新しくなりました,http://example.com/db,2,255,12\r\n")
        + QStringLiteral("新しいバージョンがあります,http://example.com/soft,2,65280,12\r\n")
        + QStringLiteral("いつもご利用ありがとうございます,,0,16777215,10\r\n")
        + QStringLiteral("新製品のご案内,https://example.com/new,1,12632256,9.75\r\n");
    return encodeCp932(text);
}

class BannerStartup : public ::testing::Test {
protected:
    BannerStartup() : banner_(ui_)
    {
        ExistSettingFolder();
        ExistLogFolder();
        banner_.setMessageServer(server_.base());
        banner_.setDownloadTimeoutMs(3000);
        auto timer = std::make_unique<ManualTimer>();
        timer_ = timer.get();
        banner_.setTimer(std::move(timer));
        banner_.setRandomSource(std::make_unique<FixedRandom>(QList<float>{0.9f}));
        banner_.setDatabaseVersionReader([this] {
            ++versionReads_;
            return QStringLiteral("2024.04");
        });
        // Left over from a start that died half way: must not survive this one.
        writeAll(csvPath(), "stale");
        writeAll(noticePath(), "stale");
    }

    static QString csvPath() { return SettingFolder() + QStringLiteral("/Vornup-B.csv"); }
    static QString noticePath() { return SettingFolder() + QStringLiteral("/temp.csv"); }

    void serveGoodFiles(const QByteArray& csv = messageFile())
    {
        server_.route(QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi"), {200, "ok"});
        server_.route(QStringLiteral("/vorn/Vornup-B.csv"), {200, csv});
    }

    void expectDefaultBanner()
    {
        EXPECT_FALSE(banner_.msgLoaded());
        EXPECT_EQ(banner_.bannerText(), QStringLiteral("Tolvane"));
        EXPECT_EQ(banner_.bannerForeColor(), 0xE0E0E0u);
        EXPECT_EQ(banner_.bannerFontSize(), 10.0f);
        EXPECT_FALSE(banner_.showsLinkPointer());
        EXPECT_EQ(banner_.lblMsg()->cursor().shape(), Qt::ArrowCursor);
        EXPECT_FALSE(timer_->isEnabled());
        EXPECT_EQ(banner_.shownMsgLink(), QString());
        banner_.lblMsg_Click();
        EXPECT_TRUE(ui_.opened.isEmpty());
    }

    void expectFilesGone()
    {
        EXPECT_FALSE(QFile::exists(csvPath()));
        EXPECT_FALSE(QFile::exists(noticePath()));
    }

    banner::LoggedSandbox sandbox_;
    RecordingUi ui_;
    TestHttpServer server_;
    MessageBanner banner_;
    ManualTimer* timer_ = nullptr;
    int versionReads_ = 0;
};

TEST_F(BannerStartup, AccessNoticeGoesFirstThenTheMessageFileWithoutCache)
{
    serveGoodFiles();
    banner_.InitMsgBanner();

    const QString notice = QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi?guid=ON&url=") + server_.base()
        + QStringLiteral("/cgi-bin/vorn/acc2/check.html");
    EXPECT_EQ(server_.targets(), (QStringList{notice, QStringLiteral("/vorn/Vornup-B.csv")}));
    for (const auto& request : server_.requests())
        EXPECT_TRUE(request.head.toLower().contains("cache-control: no-cache")) << request.head.toStdString();
}

TEST_F(BannerStartup, SuccessLoadsTheRowsStartsTheTimerAndShowsTheFirstMessage)
{
    serveGoodFiles();
    banner_.InitMsgBanner();

    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ取得完了")));
    EXPECT_TRUE(banner_.msgLoaded());
    EXPECT_TRUE(timer_->isEnabled());
    EXPECT_EQ(versionReads_, 1);
    EXPECT_EQ(banner_.dbVersion(), QStringLiteral("2024.04"));
    EXPECT_EQ(banner_.msgCount(), 4);
    // Both versions current: an ordinary message; 4 x 0.9 picks row 4.
    EXPECT_EQ(banner_.msgIndex(), 4);
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("新製品のご案内"));
    EXPECT_EQ(banner_.bannerAlignment(), 1);
    EXPECT_EQ(banner_.bannerForeColor(), 12632256u);
    EXPECT_EQ(banner_.bannerFontSize(), 9.75f);
    EXPECT_EQ(banner_.shownMsgLink(), QStringLiteral("https://example.com/new"));
    EXPECT_TRUE(banner_.showsLinkPointer());
    EXPECT_NE(banner_.lblMsg()->cursor().shape(), Qt::ArrowCursor);
    expectFilesGone();
}

TEST_F(BannerStartup, AFailedAccessNoticeDoesNotMatter)
{
    server_.route(QStringLiteral("/vorn/Vornup-B.csv"), {200, messageFile()});
    banner_.InitMsgBanner();
    EXPECT_TRUE(banner_.msgLoaded());
    EXPECT_EQ(server_.targets().size(), 2);
    expectFilesGone();
}

TEST_F(BannerStartup, NotFoundIsAFailedDownload)
{
    server_.route(QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi"), {200, "ok"});
    banner_.InitMsgBanner();
    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ無し")));
    EXPECT_EQ(versionReads_, 0);
    expectDefaultBanner();
    expectFilesGone();
}

TEST_F(BannerStartup, AnErrorStatusWithABodyIsAFailedDownload)
{
    server_.route(QStringLiteral("/vorn/Vornup-B.csv"), {500, messageFile()});
    banner_.InitMsgBanner();
    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ無し")));
    expectDefaultBanner();
    expectFilesGone();
}

TEST_F(BannerStartup, AClosedConnectionIsAFailedDownload)
{
    server_.route(QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi"), {0, {}, TestHttpServer::Mode::Close});
    server_.route(QStringLiteral("/vorn/Vornup-B.csv"), {0, {}, TestHttpServer::Mode::Close});
    banner_.InitMsgBanner();
    // The network layer may try a dropped request once more; the file is
    // still asked for after the notice.
    ASSERT_GE(server_.targets().size(), 2);
    EXPECT_TRUE(server_.targets().first().startsWith(QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi?")));
    EXPECT_EQ(server_.targets().last(), QStringLiteral("/vorn/Vornup-B.csv"));
    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ無し")));
    expectDefaultBanner();
    expectFilesGone();
}

TEST_F(BannerStartup, ARefusedConnectionIsAFailedDownload)
{
    banner_.setMessageServer(TestHttpServer::refusedBase());
    banner_.InitMsgBanner();
    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ無し")));
    expectDefaultBanner();
    expectFilesGone();
}

TEST_F(BannerStartup, ASilentServerTimesOutAndStartUpGoesOn)
{
    banner_.setDownloadTimeoutMs(300);
    server_.route(QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi"), {0, {}, TestHttpServer::Mode::Hang});
    server_.route(QStringLiteral("/vorn/Vornup-B.csv"), {0, {}, TestHttpServer::Mode::Hang});
    QElapsedTimer elapsed;
    elapsed.start();
    banner_.InitMsgBanner();
    EXPECT_LT(elapsed.elapsed(), 3000);
    EXPECT_GE(elapsed.elapsed(), 550);
    EXPECT_EQ(server_.targets().size(), 2);
    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ無し")));
    expectDefaultBanner();
    expectFilesGone();
}

TEST_F(BannerStartup, AnOversizedAnswerIsAFailedDownload)
{
    QByteArray huge = messageFile();
    huge.append(QByteArray(NetworkFetcher::kMaxBytes, 'x'));
    serveGoodFiles(huge);
    banner_.InitMsgBanner();
    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ無し")));
    expectDefaultBanner();
    expectFilesGone();
}

TEST_F(BannerStartup, TheDefaultTimeoutIsTenSeconds)
{
    EXPECT_EQ(NetworkFetcher().timeoutMs(), 10000);
}

// A file that came down but cannot be used: its error line, the default
// banner, both files gone, and the start-up returns normally.
class MalformedFile : public BannerStartup, public ::testing::WithParamInterface<const char*> {};

TEST_P(MalformedFile, IsTreatedAsAFailedDownload)
{
    serveGoodFiles(encodeCp932(QString::fromUtf8(GetParam())));
    banner_.InitMsgBanner();
    const QStringList log = sandbox_.logMessages();
    EXPECT_TRUE(log.contains(QStringLiteral("□Eve：Msgデータ取得完了")));
    const auto errors = log.filter(QStringLiteral("■Err：[frmMain]-[InitMsgBanner()]："));
    EXPECT_EQ(errors.size(), 1) << log.join(u'\n').toStdString();
    EXPECT_EQ(banner_.msgCount(), 0);
    EXPECT_TRUE(banner_.msgData().isEmpty());
    expectDefaultBanner();
    expectFilesGone();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MalformedFile,
    ::testing::Values(
        // empty file
        "",
        // too few rows for a pick
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\n",
        // control row too short
        "1,a\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\nM,,0,0,10\r\n",
        // interval not a number
        "x,a,b\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\nM,,0,0,10\r\n",
        // a message row with four columns
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\nM,,0,0\r\n",
        // an empty line among the messages
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\n\r\nM,,0,0,10\r\n",
        // alignment, colour and size that the banner cannot take
        "1,a,b\r\nDB,,left,0,10\r\nSOFT,,0,0,10\r\nM,,0,0,10\r\n",
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,3,0,10\r\nM,,0,0,10\r\n",
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,red,10\r\nM,,0,0,10\r\n",
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,16777216,10\r\nM,,0,0,10\r\n",
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,-1,10\r\nM,,0,0,10\r\n",
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,-2147483623,10\r\nM,,0,0,10\r\n",
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\nM,,0,0,0\r\n",
        "1,a,b\r\nDB,,0,0,10\r\nSOFT,,0,0,10\r\nM,,0,0,big\r\n"),
    [](const ::testing::TestParamInfo<const char*>& info) { return "File" + std::to_string(info.index); });

TEST(WebServers, EveryAddressUsesTheReservedExampleHostsAndThePathsBind)
{
    EXPECT_EQ(messageCsvUrl(QStringLiteral("http://h")), QStringLiteral("http://h/vorn/Vornup-B.csv"));
    EXPECT_EQ(accessNoticeUrl(QStringLiteral("http://h")),
              QStringLiteral("http://h/cgi-bin/vorn/acc2/acclog.cgi?guid=ON&url=http://h/cgi-bin/vorn/acc2/check.html"));
    EXPECT_EQ(howToUseUrl(QStringLiteral("http://h")), QStringLiteral("http://h/vorn/siyou.html"));
    EXPECT_EQ(databaseDownloadUrl(QStringLiteral("http://w")), QStringLiteral("http://w/vorn/download.html"));
    EXPECT_EQ(productPageUrl(QStringLiteral("http://w")), QStringLiteral("http://w/vorn/"));
    for (const QString& url : {messageCsvUrl(), accessNoticeUrl(), howToUseUrl(), messageHomeUrl(),
                               databaseDownloadUrl(), productPageUrl(), contactMailUrl()}) {
        const QUrl parsed(url);
        EXPECT_TRUE(parsed.host().endsWith(QStringLiteral("example.com"))
                    || parsed.host().endsWith(QStringLiteral("example.org"))
                    || url.endsWith(QStringLiteral("@example.com")))
            << url.toStdString();
    }
}

}  // namespace
}  // namespace tolvane::test
