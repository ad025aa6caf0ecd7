#include "frame/startuphelper.h"

#include "frame/splash.h"

#include <QFontDatabase>

#include <fontconfig/fontconfig.h>
#include <sched.h>

namespace tolvane {

StartUpHelper::StartUpHelper()
{
    // Anywhere but on the processor this thread runs on: the system would
    // otherwise often start the helper there, and the two would take turns
    // where they could run side by side.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    cpu_set_t others;
    CPU_ZERO(&others);
    const int here = sched_getcpu();
    if (here >= 0 && sched_getaffinity(0, sizeof others, &others) == 0) {
        CPU_CLR(here, &others);
        if (CPU_COUNT(&others) > 0)
            pthread_attr_setaffinity_np(&attributes, sizeof others, &others);
    }
    started_ = pthread_create(&thread_, &attributes, &StartUpHelper::run, this) == 0;
    pthread_attr_destroy(&attributes);
    if (!started_) {
        // No helper: the window sets the fonts up itself, as without one.
        configurationRead_ = true;
    }
}

StartUpHelper::~StartUpHelper() { finish(); }

void* StartUpHelper::run(void* self)
{
    static_cast<StartUpHelper*>(self)->work();
    return nullptr;
}

void StartUpHelper::work()
{
    FcInit();
    std::unique_lock lock(mutex_);
    configurationRead_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return applicationReady_ || finishing_; });
    if (finishing_)
        return;
    lock.unlock();
    QFontDatabase::families();
    SplashWindow::prepareTitle();
}

void StartUpHelper::applicationReady()
{
    const std::lock_guard lock(mutex_);
    applicationReady_ = true;
    changed_.notify_all();
}

void StartUpHelper::waitForFontConfiguration()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return configurationRead_; });
}

void StartUpHelper::finish()
{
    if (!started_)
        return;
    {
        const std::lock_guard lock(mutex_);
        finishing_ = true;
        changed_.notify_all();
    }
    pthread_join(thread_, nullptr);
    started_ = false;
}

}  // namespace tolvane
