#pragma once
// Fetching a file over the web for the banner's start-up: synchronous for
// the caller, never from a cache, and bounded in time so a silent server
// cannot hold the program's start.

#include <QDeadlineTimer>
#include <QString>

#include <memory>

class QNetworkAccessManager;

namespace tolvane {

class UrlFetcher {
public:
    virtual ~UrlFetcher() = default;
    // Fetches the address into the file, giving up at the deadline. True
    // only for a complete answer with a 2xx status that was written to the
    // file; on failure no file of that name is left behind.
    virtual bool download(const QString& url, const QString& path, QDeadlineTimer deadline) = 0;
    // Drops a cached copy of the address. True when one was dropped.
    virtual bool removeCached(const QString& url) = 0;
    // The downloads of the start-up are over: whatever they held is let go.
    virtual void endDownloads() {}
};

// Qt Network in a local event loop. The downloads of a start-up share one
// network manager, made for the first of them and let go after the last:
// without a cache, so there is never a cached copy to drop, and keeping no
// cookie, so each request stands alone.
class NetworkFetcher final : public UrlFetcher {
public:
    // The message file is a few lines; an answer far beyond that is no
    // message file and is not kept in memory.
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

    NetworkFetcher();
    ~NetworkFetcher() override;
    bool download(const QString& url, const QString& path, QDeadlineTimer deadline) override;
    bool removeCached(const QString& url) override;
    void endDownloads() override;

private:
    std::unique_ptr<QNetworkAccessManager> manager_;
};

}  // namespace tolvane
