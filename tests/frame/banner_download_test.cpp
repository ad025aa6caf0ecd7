// The banner's start-up against a real HTTP server on this machine.

#include "banner_fakes.h"

#include "frame/webservers.h"
#include "services/cp932.h"

#include <QAbstractEventDispatcher>
#include <QRegularExpression>

namespace tolvane::test {
namespace {

using Mode = TestHttpServer::Mode;

const QString kNoticePath = QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi");
const QString kCsvPath = QStringLiteral("/vorn/Vornup-B.csv");

QByteArray messageFile()
{
    return encodeCp932(QStringLiteral("1,2024.04,2017.11 Ver 2.0.3\r\n"
                                      "データベースが新しくなりました,http://example.com/db,2,255,12\r\n"
                                      "新しいバージョンがあります,http://example.com/soft,2,65280,12\r\n"
                                      "いつもご利用ありがとうございます,,0,16777215,10\r\n"
                                      "新製品のご案内,https://example.com/new,1,12632256,9.75\r\n"));
}

class BannerStartup : public banner::BannerFixture {
protected:
    BannerStartup()
    {
        useRandoms({0.9f});
        // Left over from a start that died half way: must not survive this one.
        writeAll(csvPath(), "stale");
        writeAll(noticePath(), "stale");
    }
    static QString csvPath() { return SettingFolder() + QStringLiteral("/Vornup-B.csv"); }
    static QString noticePath() { return SettingFolder() + QStringLiteral("/temp.csv"); }

    void serve(const QByteArray& csv, int status = 200, Mode mode = Mode::Answer)
    {
        server_.route(kNoticePath, {200, "ok"});
        server_.route(kCsvPath, {status, csv, mode});
    }
    void expectFilesGone()
    {
        EXPECT_FALSE(QFile::exists(csvPath()));
        EXPECT_FALSE(QFile::exists(noticePath()));
    }
};

TEST_F(BannerStartup, NoticeFirstThenTheFileUncachedThenTheFirstMessage)
{
    serve(messageFile());
    // Each request stands alone: what the notice's answer sets is not sent back.
    server_.addHeader(kNoticePath, "Set-Cookie: visit=1; Path=/");
    banner_.InitMsgBanner();
    const QString notice = kNoticePath + QStringLiteral("?guid=ON&url=") + server_.base()
        + QStringLiteral("/cgi-bin/vorn/acc2/check.html");
    EXPECT_EQ(server_.targets(), (QStringList{notice, kCsvPath}));
    for (const auto& request : server_.requests()) {
        EXPECT_TRUE(request.head.toLower().contains("cache-control: no-cache")) << request.head.toStdString();
        EXPECT_FALSE(request.head.toLower().contains("cookie:")) << request.head.toStdString();
    }

    EXPECT_TRUE(sandbox_.logMessages().contains(QStringLiteral("□Eve：Msgデータ取得完了")));
    EXPECT_TRUE(timer_->isEnabled());
    EXPECT_EQ(banner_.msgCount(), 4);
    // Both versions current: an ordinary message; 4 x 0.9 picks row 4 with its look and link.
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("新製品のご案内"));
    EXPECT_EQ(banner_.bannerAlignment(), 1);
    EXPECT_EQ(banner_.bannerForeColor(), 12632256u);
    EXPECT_EQ(banner_.bannerFontSize(), 9.75f);
    EXPECT_NE(banner_.lblMsg()->cursor().shape(), Qt::ArrowCursor);
    expectFilesGone();
    EXPECT_LE(MessageBanner(ui_).downloadDeadlineMs(), 3000);
}

TEST_F(BannerStartup, AFailedAccessNoticeDoesNotMatter)
{
    server_.route(kCsvPath, {200, messageFile()});
    banner_.InitMsgBanner();
    EXPECT_TRUE(banner_.msgLoaded());
    expectFilesGone();
}

// Every way the file may fail to come, and files that came but whose first
// row cannot be read (one error line): the default banner, both files gone,
// and the start-up returns normally.
enum class Failure { NotFound, ServerError, Closed, Refused, Silent, Oversized, Empty, BlankLines, ShortRow0, Interval };
std::string failureName(Failure f)
{
    const char* const names[] = {"NotFound", "ServerError", "Closed", "Refused", "Silent",
                                 "Oversized", "Empty", "BlankLines", "ShortRow0", "Interval"};
    return names[int(f)];
}
void PrintTo(Failure f, std::ostream* os) { *os << failureName(f); }
class FailedDownload : public BannerStartup, public ::testing::WithParamInterface<Failure> {};

// The start's deadline when the server is silent: the program's own, so
// roomy beside the few steps from setting it to the first request that the
// request always begins before it passes.
constexpr int kSilentDeadlineMs = MessageBanner::kDownloadDeadlineMs;

// The real fetcher, noting the deadline of each call and whether the call
// waited in an event loop: the thread went to sleep, and a timer due halfway
// to the deadline ran before the first call returned.
struct WatchedFetcher final : UrlFetcher {
    NetworkFetcher real;
    QList<QDeadlineTimer> deadlines;
    QDeadlineTimer firstEntry;  // the start's deadline, reckoned as the first call began
    bool firstBeganInTime = false;
    int rests = 0;
    bool timerRanDuringTheFirstCall = false;
    bool download(const QString& url, const QString& path, QDeadlineTimer deadline) override
    {
        const bool first = deadlines.isEmpty();
        if (first) {
            firstEntry = QDeadlineTimer(kSilentDeadlineMs);
            firstBeganInTime = !deadline.hasExpired();
        }
        deadlines.append(deadline);
        QObject call;  // the timer goes with the call
        bool timerRan = false;
        QTimer::singleShot(deadline.remainingTime() / 2, &call, [&] { timerRan = true; });
        const auto connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                                 &QAbstractEventDispatcher::aboutToBlock, [&] { ++rests; });
        const bool ok = real.download(url, path, deadline);
        QObject::disconnect(connection);
        if (first)
            timerRanDuringTheFirstCall = timerRan;
        return ok;
    }
    bool removeCached(const QString& url) override { return real.removeCached(url); }
    void endDownloads() override { real.endDownloads(); }
};

TEST_P(FailedDownload, GivesTheDefaultBannerAndRemovesBothFiles)
{
    WatchedFetcher* watched = nullptr;
    const QString rows = QStringLiteral("DB,,0,0,10\r\nSOFT,,0,0,10\r\nM,,0,0,10\r\n");
    switch (GetParam()) {
    case Failure::NotFound: server_.route(kNoticePath, {200, "ok"}); break;
    case Failure::ServerError: serve(messageFile(), 500); break;
    case Failure::Closed: serve({}, 0, Mode::Close); break;
    case Failure::Refused: banner_.setMessageServer(TestHttpServer::refusedBase()); break;
    case Failure::Silent:
        banner_.setDownloadDeadlineMs(kSilentDeadlineMs);
        banner_.setFetcher(std::unique_ptr<UrlFetcher>(watched = new WatchedFetcher));
        server_.route(kNoticePath, {0, {}, Mode::Hang});
        server_.route(kCsvPath, {0, {}, Mode::Hang});
        break;
    case Failure::Oversized: serve(messageFile() + QByteArray(NetworkFetcher::kMaxBytes, 'x')); break;
    case Failure::Empty: serve({}); break;
    case Failure::BlankLines: serve("\r\n\r\n"); break;
    case Failure::ShortRow0: serve(encodeCp932(QStringLiteral("1,a\r\n") + rows)); break;
    case Failure::Interval: serve(encodeCp932(QStringLiteral("x,a,b\r\n") + rows)); break;
    }
    const QDeadlineTimer beforeStart(kSilentDeadlineMs);
    banner_.InitMsgBanner();
    if (watched) {
        // Both requests share the one deadline, set as the start began: the
        // start waits it once (how long that takes is in bench_frame_banner).
        ASSERT_EQ(watched->deadlines.size(), 2);
        EXPECT_EQ(watched->deadlines[0], watched->deadlines[1]);
        EXPECT_GE(watched->deadlines[0].deadlineNSecs(), beforeStart.deadlineNSecs());
        EXPECT_LE(watched->deadlines[0].deadlineNSecs(), watched->firstEntry.deadlineNSecs());
        // The first call waited for the silent server in an event loop.
        EXPECT_TRUE(watched->firstBeganInTime) << "the deadline passed before the first request began";
        EXPECT_TRUE(watched->timerRanDuringTheFirstCall);
        EXPECT_GT(watched->rests, 0);
    }
    const bool came = GetParam() >= Failure::Empty;
    const QStringList log = sandbox_.logMessages();
    EXPECT_EQ(log.contains(QStringLiteral("□Eve：Msgデータ取得完了")), came);
    EXPECT_EQ(log.contains(QStringLiteral("□Eve：Msgデータ無し")), !came);
    EXPECT_EQ(log.filter(QStringLiteral("■Err：[frmMain]-[InitMsgBanner()]：")).size(), came ? 1 : 0) << log.join(u'\n').toStdString();
    EXPECT_EQ(banner_.msgCount(), 0);
    EXPECT_FALSE(banner_.msgLoaded());
    EXPECT_EQ(banner_.bannerText(), QStringLiteral("Tolvane"));
    EXPECT_EQ(banner_.bannerForeColor(), 0xE0E0E0u);
    EXPECT_EQ(banner_.lblMsg()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(timer_->isEnabled());
    banner_.lblMsg_Click();
    EXPECT_TRUE(ui_.opened.isEmpty());
    expectFilesGone();
}

INSTANTIATE_TEST_SUITE_P(Ways, FailedDownload,
                         ::testing::Values(Failure::NotFound, Failure::ServerError, Failure::Closed, Failure::Refused,
                                           Failure::Silent, Failure::Oversized, Failure::Empty, Failure::BlankLines,
                                           Failure::ShortRow0, Failure::Interval),
                         [](const auto& info) { return failureName(info.param); });

// Every address the program opens is its page on a reserved example host
// until the maker's servers are known.
TEST(WebServers, ThePagesStandOnReservedExampleHosts)
{
    const std::pair<QString, const char*> pages[] = {
        {messageCsvUrl(), "/vorn/Vornup-B.csv"}, {accessNoticeUrl(), "/cgi-bin/vorn/acc2/acclog.cgi"},
        {howToUseUrl(), "/vorn/siyou.html"},     {messageHomeUrl(), "/vorn/"},
        {databaseDownloadUrl(), "/vorn/download.html"}, {productPageUrl(), "/vorn/"},
        {contactMailUrl(), "support@example.com"}};
    const QRegularExpression reserved(QStringLiteral("^(http://([a-z]+\\.)?|mailto:[a-z]+@)example\\.(com|org)(/|$)"));
    for (const auto& [url, path] : pages) {
        EXPECT_TRUE(reserved.match(url).hasMatch()) << url.toStdString();
        EXPECT_EQ(QUrl(url).path(), QLatin1String(path));
    }
}

}  // namespace
}  // namespace tolvane::test
