#include "frame/webservers.h"

namespace tolvane {

// The old servers spoke plain HTTP only, and so do these addresses.
QString defaultMessageServer() { return QStringLiteral("http://vorn.example.com"); }
QString defaultHomePageServer() { return QStringLiteral("http://www.example.org"); }
QString contactMailUrl() { return QStringLiteral("mailto:support@example.com"); }
QString contactMailText() { return QStringLiteral("support@example.com"); }

QString messageCsvUrl(const QString& messageServer) { return messageServer + QStringLiteral("/vorn/Vornup-B.csv"); }

QString accessNoticeUrl(const QString& messageServer)
{
    // The check page's address goes into the query as it stands, unescaped:
    // the counting script reads it that way.
    return messageServer + QStringLiteral("/cgi-bin/vorn/acc2/acclog.cgi?guid=ON&url=") + messageServer
        + QStringLiteral("/cgi-bin/vorn/acc2/check.html");
}

QString howToUseUrl(const QString& messageServer) { return messageServer + QStringLiteral("/vorn/siyou.html"); }
QString messageHomeUrl(const QString& messageServer) { return messageServer + QStringLiteral("/vorn/"); }
QString databaseDownloadUrl(const QString& homePageServer) { return homePageServer + QStringLiteral("/vorn/download.html"); }
QString productPageUrl(const QString& homePageServer) { return homePageServer + QStringLiteral("/vorn/"); }

}  // namespace tolvane
