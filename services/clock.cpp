#include "services/clock.h"

#include <QElapsedTimer>

namespace tolvane {
namespace {

class SystemClock final : public Clock {
public:
    SystemClock() { timer_.start(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 monotonicMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

Clock* current = nullptr;

}  // namespace

Clock& clock()
{
    static SystemClock system;
    return current ? *current : system;
}

void setClock(Clock* replacement) { current = replacement; }

}  // namespace tolvane
