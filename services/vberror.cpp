#include "services/vberror.h"

#include <cerrno>

namespace tolvane {

QString vbErrorDescription(int number)
{
    switch (number) {
    case kErrInvalidCall: return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case kErrOverflow: return QStringLiteral("オーバーフローしました。");
    case kErrSubscript: return QStringLiteral("インデックスが有効範囲にありません。");
    case kErrDivisionByZero: return QStringLiteral("0 で除算しました。");
    case kErrTypeMismatch: return QStringLiteral("型が一致しません。");
    case kErrFileNotFound: return QStringLiteral("ファイルが見つかりません。");
    case kErrBadFileMode: return QStringLiteral("ファイル モードが不正です。");
    case kErrDeviceIo: return QStringLiteral("デバイス I/O エラーです。");
    case kErrDiskFull: return QStringLiteral("ディスクの空き容量が不足しています。");
    case kErrTooManyFiles: return QStringLiteral("開いているファイルが多すぎます。");
    case kErrPermissionDenied: return QStringLiteral("書き込みできません。");
    case kErrPathFileAccess: return QStringLiteral("パス名が無効です。");
    case kErrPathNotFound: return QStringLiteral("パスが見つかりません。");
    default: return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
    }
}

VbError::VbError(int number) : number_(number), description_(vbErrorDescription(number)) {}

VbError::VbError(int number, QString description)
    : number_(number), description_(std::move(description))
{
}

QString systemErrorWords(int errnoValue)
{
    // Qt has Japanese words for four of these (Qt's own, the same here), the
    // system's words are English in most settings: each reason a file, a
    // folder or a print can fail for is said here, and any other in the
    // system's words.
    switch (errnoValue) {
    case ENOSPC: return QStringLiteral("デバイスに空き容量がありません");
    case EDQUOT: return QStringLiteral("ディスク使用量の制限を超えました");
    case EFBIG: return QStringLiteral("ファイルが大きすぎます");
    case EACCES: return QStringLiteral("許可されていません");
    case EPERM: return QStringLiteral("操作が許可されていません");
    case EROFS: return QStringLiteral("読み込み専用のファイルシステムです");
    case ETXTBSY: return QStringLiteral("ファイルが使用中です");
    case ENOENT: return QStringLiteral("そのようなファイルやディレクトリはありません");
    case ENOTDIR: return QStringLiteral("ディレクトリではありません");
    case EISDIR: return QStringLiteral("ディレクトリです");
    case EIO: return QStringLiteral("入出力エラーです");
    case EMFILE: return QStringLiteral("開かれたファイルが多すぎます");
    case ENFILE: return QStringLiteral("システムで開かれたファイルが多すぎます");
    case EEXIST: return QStringLiteral("ファイルが存在します");
    case ELOOP: return QStringLiteral("シンボリックリンクの階層が多すぎます");
    case ENAMETOOLONG: return QStringLiteral("ファイル名が長すぎます");
    case EBUSY: return QStringLiteral("デバイスまたはリソースが使用中です");
    case EXDEV: return QStringLiteral("別のファイルシステムへはリンクできません");
    case EINVAL: return QStringLiteral("引数が無効です");
    default: return qt_error_string(errnoValue);
    }
}

VbError systemError(int errnoValue)
{
    int number = kErrPathFileAccess;
    switch (errnoValue) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: number = kErrDiskFull; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: number = kErrPermissionDenied; break;
    case ENOENT:
    case ENOTDIR: number = kErrPathNotFound; break;
    case EIO: number = kErrDeviceIo; break;
    case EMFILE:
    case ENFILE: number = kErrTooManyFiles; break;
    default: break;
    }
    return VbError(number, vbErrorDescription(number) + QStringLiteral("（") + systemErrorWords(errnoValue)
                               + QStringLiteral("）"));
}

}  // namespace tolvane
