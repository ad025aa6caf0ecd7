#pragma once

#include <QDateTime>

namespace tolvane {

// The program's view of time, replaceable so tests can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds on a clock that never jumps (midnight, clock changes).
    virtual qint64 monotonicMs() const = 0;
};

Clock& clock();
// nullptr restores the system clock. The caller keeps ownership.
void setClock(Clock* replacement);

}  // namespace tolvane
