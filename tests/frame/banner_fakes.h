#pragma once
// Stand-ins for what the banner and its dialogs reach outside themselves.

#include "frame/banner.h"
#include "frame/banner_download.h"
#include "frame/frametest.h"
#include "banner_testserver.h"
#include "services/cp932.h"

namespace tolvane::test::banner {

// A sandbox whose log folder exists, as it does after the program's start.
class LoggedSandbox : public Sandbox {
public:
    LoggedSandbox() { ExistLogFolder(); }
};

class ManualTimer final : public BannerTimer {
public:
    void setEnabled(bool on) override { enabled_ = on; }
    bool isEnabled() const override { return enabled_; }
    // One elapsed interval; nothing happens while the timer is off.
    void tick()
    {
        if (enabled_)
            fire();
    }

private:
    bool enabled_ = false;
};

// Hands out the given numbers in turn, then the last one again.
class FixedRandom final : public RandomSource {
public:
    explicit FixedRandom(QList<float> values) : values_(std::move(values)) {}
    void randomize() override { ++seeds; }
    float next() override { return values_.value(std::min(at_++, values_.size() - 1)); }
    int seeds = 0;

private:
    QList<float> values_;
    qsizetype at_ = 0;
};

// Row 0 and the two notices, then one ordinary message per text.
inline QByteArray csv(const QString& interval, const QString& db, const QString& soft, const QStringList& messages,
               const QString& row3Link = {})
{
    QString text = interval + u',' + db + u',' + soft + QStringLiteral("\r\n")
        + QStringLiteral("DB,http://example.com/db,2,255,12\r\nSOFT,,2,65280,12\r\n");
    for (qsizetype i = 0; i < messages.size(); ++i)
        text += messages[i] + u',' + (i == 0 ? row3Link : QString()) + QStringLiteral(",0,16777215,10\r\n");
    return encodeCp932(text);
}
// A banner on a local server, a manual timer, a fixed random source and a
// catalogue of version "2024.04".
class BannerFixture : public ::testing::Test {
protected:
    BannerFixture() : banner_(ui_)
    {
        ExistSettingFolder();
        banner_.setMessageServer(server_.base());
        // The server on this machine answers at once: the deadline stops only
        // a silent one, and leaves room for the slowest build on a loaded machine.
        banner_.setDownloadDeadlineMs(60000);
        auto timer = std::make_unique<ManualTimer>();
        timer_ = timer.get();
        banner_.setTimer(std::move(timer));
        banner_.setDatabaseVersionReader([] { return QStringLiteral("2024.04"); });
        useRandoms({0.0f});
    }
    void useRandoms(QList<float> values)
    {
        auto random = std::make_unique<FixedRandom>(std::move(values));
        random_ = random.get();
        banner_.setRandomSource(std::move(random));
    }

    LoggedSandbox sandbox_;
    WindowUi ui_;
    TestHttpServer server_;
    MessageBanner banner_;
    ManualTimer* timer_ = nullptr;
    FixedRandom* random_ = nullptr;
};

}  // namespace tolvane::test::banner
