#pragma once
// The program's error value. Every procedure catches it at its own boundary,
// writes one error line with its label and leaves; nothing crosses further.

#include <QString>
#include <exception>

namespace tolvane {

enum VbErrorNumber : int {
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrSubscript = 9,
    kErrDivisionByZero = 11,
    kErrTypeMismatch = 13,
    kErrFileNotFound = 53,
    kErrBadFileMode = 54,
    kErrDeviceIo = 57,
    kErrDiskFull = 61,
    kErrTooManyFiles = 67,
    kErrPermissionDenied = 70,
    kErrPathFileAccess = 75,
    kErrPathNotFound = 76,
};

// The description text the log shows for an error number.
QString vbErrorDescription(int number);

class VbError : public std::exception {
public:
    explicit VbError(int number);
    VbError(int number, QString description);

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return "VbError"; }

private:
    int number_;
    QString description_;
};

// The reason of a failed system call (its errno) in Japanese words, as
// every other text of the log; a reason no file or print meets in the
// system's own words.
QString systemErrorWords(int errnoValue);

// A failed system call (its errno) as the error the log and the messages
// show: the number of the nearest kind (a full disk 61, no permission 70, no
// such folder 76, ...; 75 for any other) and its description followed by
// the reason's words (systemErrorWords) in brackets.
VbError systemError(int errnoValue);

}  // namespace tolvane
