#pragma once
// Stand-ins for what the banner and its dialogs reach outside themselves.

#include "frame/banner.h"
#include "frame/banner_download.h"
#include "frame/frametest.h"

namespace tolvane::test::banner {

using RecordingUi = WindowUi;

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

// The network fetcher, but claiming to have dropped a cached copy.
class CachingFetcher final : public UrlFetcher {
public:
    bool download(const QString& url, const QString& path) override { return net.download(url, path); }
    bool removeCached(const QString& url) override
    {
        dropped.append(url);
        return true;
    }
    NetworkFetcher net{3000};
    QStringList dropped;
};

}  // namespace tolvane::test::banner
