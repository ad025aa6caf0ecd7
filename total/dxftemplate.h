#pragma once
// Fixed drawings kept as data files: one template row per line of the file,
// some rows whole-row placeholders such as "@@TOTAL_NAME@@". A placeholder
// is always a whole row, and no real drawing row starts and ends with "@@"
// (GUID rows use braces, so braces could not mark anything).
//
// Writing a drawing is all or nothing: render() checks every value before it
// builds any text, and saveDxf() (with dxfSafeText, shared with the spring
// pressure diagram) replaces the target file only once the whole text is ready.

#include "diagram/dxffile.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace tolvane {

class DxfTemplate {
public:
    // fileBytes: UTF-8 text, one row per line ended by "\n". Leading blanks
    // and empty rows are rows like any other; a "\r" before the "\n" is not
    // part of the row; the "\n" after the last row does not start a new one.
    explicit DxfTemplate(const QByteArray& fileBytes);

    // The placeholder names ("TOTAL_NAME" for the row "@@TOTAL_NAME@@") in
    // the order of their first row.
    QStringList placeholders() const { return names_; }

    // Every placeholder row replaced by its value in one pass (a value that
    // itself looks like a placeholder stays as it is), every row followed by
    // CR LF, the last one included. Nothing when a placeholder has no value
    // or a value would not stay one row (it holds CR or LF); then *error says
    // which. Values for names the template does not hold are ignored, so one
    // set of values can serve several drawings.
    std::optional<QString> render(const QHash<QString, QString>& values, QString* error = nullptr) const;

    static bool isPlaceholderRow(const QString& row);
    static QString placeholderName(const QString& row);  // empty for an ordinary row

private:
    // The drawing as runs of fixed rows (CR LF included) with one
    // placeholder row after each run but the last.
    QStringList runs_;
    QStringList placeholderRows_;  // the name of each, in row order
    QStringList names_;
};

}  // namespace tolvane
