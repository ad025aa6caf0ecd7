#include "frame/banner_download.h"

#include "services/atomicfile.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace tolvane {

namespace {

// Whatever a server sets is forgotten: no request carries a cookie.
class NoCookies final : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

}  // namespace

NetworkFetcher::NetworkFetcher() = default;
NetworkFetcher::~NetworkFetcher() = default;

bool NetworkFetcher::download(const QString& url, const QString& path, QDeadlineTimer deadline)
{
    const QUrl address(url);
    if (!address.isValid() || address.isRelative() || deadline.hasExpired()) {
        QFile::remove(path);
        return false;
    }

    // A manager sets up a thread of its own for its requests: one for all.
    if (!manager_) {
        manager_ = std::make_unique<QNetworkAccessManager>();
        manager_->setCookieJar(new NoCookies(manager_.get()));
    }
    QNetworkAccessManager& manager = *manager_;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");

    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    bool tooLarge = false;
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64 total) {
        if (!tooLarge && (received > kMaxBytes || total > kMaxBytes)) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timeout.start(int(std::clamp<qint64>(deadline.remainingTime(), 0, std::numeric_limits<int>::max())));
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timeout.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = !timedOut && !tooLarge && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    const QByteArray body = ok ? reply->readAll() : QByteArray();
    // The reply must go before its manager does.
    delete reply;

    if (!ok) {
        QFile::remove(path);
        return false;
    }
    if (!writeFileAtomic(path, body)) {
        QFile::remove(path);
        return false;
    }
    return true;
}

bool NetworkFetcher::removeCached(const QString&)
{
    return false;
}

void NetworkFetcher::endDownloads() { manager_.reset(); }

}  // namespace tolvane
