#include "services/vberror.h"

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

}  // namespace tolvane
