#pragma once
// The maker's two web servers. Only the paths are fixed; the hosts are
// ours, reserved example domains until real ones exist.

#include <QString>

namespace tolvane {

inline QString messageServer() { return QStringLiteral("http://vorn.example.com"); }
inline QString homePageServer() { return QStringLiteral("http://www.example.com"); }

inline QString howToUseAddress() { return messageServer() + QStringLiteral("/vorn/siyou.html"); }
inline QString productPageAddress() { return messageServer() + QStringLiteral("/vorn/"); }
inline QString downloadPageAddress() { return homePageServer() + QStringLiteral("/vorn/download.html"); }
inline QString companyProductAddress() { return homePageServer() + QStringLiteral("/vorn/"); }

}  // namespace tolvane
