#pragma once
// Stand-ins for what the banner and its dialogs reach outside themselves.

#include "frame/banner.h"
#include "services/ui.h"
#include "support/sandbox.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tolvane::test::banner {

// A sandbox whose log folder exists, as it does after the program's start.
class LoggedSandbox : public Sandbox {
public:
    LoggedSandbox() { ExistLogFolder(); }
};

class RecordingUi final : public UserInterface {
public:
    struct Box {
        QString prompt;
        int style;
        QString title;
    };
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        boxes.append({prompt, style, title});
        return kIdOk;
    }
    void beep() override {}
    std::optional<QString> askSaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest&) override { return std::nullopt; }
    bool openUrl(const QString& url) override
    {
        opened.append(url);
        return true;
    }

    QList<Box> boxes;
    QStringList opened;
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
    float next() override
    {
        const float v = values_.value(at_, values_.isEmpty() ? 0.0f : values_.last());
        if (at_ < values_.size())
            ++at_;
        return v;
    }
    int seeds = 0;

private:
    QList<float> values_;
    qsizetype at_ = 0;
};

// Answers by address from memory; an address it does not know fails.
class FakeFetcher final : public UrlFetcher {
public:
    bool download(const QString& url, const QString& path) override
    {
        asked.append(url);
        if (!files.contains(url))
            return false;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(files.value(url));
        return true;
    }
    bool removeCached(const QString& url) override
    {
        dropped.append(url);
        return cached;
    }

    QHash<QString, QByteArray> files;
    QStringList asked;
    QStringList dropped;
    bool cached = false;
};

}  // namespace tolvane::test::banner
