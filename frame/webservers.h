#pragma once
// The maker's two web servers and the addresses the program uses on them.
// Every host name lives here and nowhere else; the hosts are reserved example
// domains until the maker's real servers are known.

#include <QString>

namespace tolvane {

// The server of the message file, the access notice, the how-to-use page
// and the menu's home-page link.
QString defaultMessageServer();
// The server of the database download page and the product page shown in
// the version dialog and printed in the report's footer.
QString defaultHomePageServer();
// The maker's contact mailbox, as a "mailto:" address.
QString contactMailUrl();
// The contact mailbox as the version dialog shows it.
QString contactMailText();

// The message file: server + "/vorn/Vornup-B.csv".
QString messageCsvUrl(const QString& messageServer = defaultMessageServer());
// The access notice: the counting script, told the full address of its
// check page on the same server.
QString accessNoticeUrl(const QString& messageServer = defaultMessageServer());
// The how-to-use page: server + "/vorn/siyou.html".
QString howToUseUrl(const QString& messageServer = defaultMessageServer());
// The menu's home-page command: message server + "/vorn/".
QString messageHomeUrl(const QString& messageServer = defaultMessageServer());
// The database download page named in the missing-database message.
QString databaseDownloadUrl(const QString& homePageServer = defaultHomePageServer());
// The product page: home-page server + "/vorn/".
QString productPageUrl(const QString& homePageServer = defaultHomePageServer());

}  // namespace tolvane
