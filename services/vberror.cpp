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
    return VbError(number, vbErrorDescription(number) + QStringLiteral("（") + qt_error_string(errnoValue)
                               + QStringLiteral("）"));
}

}  // namespace tolvane
