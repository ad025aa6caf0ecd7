#pragma once
// The Jet reader for tests that do not look at its deadline: room enough that
// a conversion on the slowest build of a loaded machine still ends on its
// own, so only a reader that hangs ever meets the deadline.

#include "catalogue/jetcopy.h"

#include <QString>

namespace tolvane::test {

inline constexpr int kRoomyReaderDeadlineMs = 120000;

inline void useJetReader(const QString& program) { setJetReader(program, kRoomyReaderDeadlineMs); }

}  // namespace tolvane::test
