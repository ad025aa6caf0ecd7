#pragma once
// The reader, and the checker it is, in the tests. For tests that do not
// look at its deadline, room enough that a conversion on the slowest build
// of a loaded machine still ends on its own, so only a reader that hangs
// ever meets the deadline.

#include "catalogue/copies.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace tolvane::test {

inline constexpr int kRoomyReaderDeadlineMs = 120000;

// The reader the build lays out beside the program.
inline const QString kReader = QStringLiteral(TOLVANE_APP_DIR "/tolvane-catalogue");

inline void useCatalogueReader(const QString& program = kReader) { setCatalogueReader(program, kRoomyReaderDeadlineMs); }

// The checker's output lines; under an address-space limit of that many
// bytes when given; it must end within waitMs.
inline QStringList toolLines(const QStringList& args, int* exitCode = nullptr, QString* errors = nullptr,
                             rlim_t addressSpace = 0, int waitMs = kRoomyReaderDeadlineMs)
{
    // Its own home, so nothing it logs reaches the user's documents.
    const QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    QProcess tool;
    tool.setProcessEnvironment(environment);
    if (addressSpace != 0) {
        tool.setChildProcessModifier([addressSpace] {
            const rlimit limit{addressSpace, addressSpace};
            ::setrlimit(RLIMIT_AS, &limit);
        });
    }
    tool.start(kReader, args);
    EXPECT_TRUE(tool.waitForFinished(waitMs));
    if (exitCode)
        *exitCode = tool.exitCode();
    if (errors)
        *errors = QString::fromUtf8(tool.readAllStandardError());
    return QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

}  // namespace tolvane::test
