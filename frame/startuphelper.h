#pragma once
// Start-up work that needs no window, done on another processor while the
// program's own thread builds the main window: the system's font
// configuration read and Qt's font database filled, which the first
// caption measured would otherwise wait for, and the splash's picture
// decoded. Whatever the window needs before the helper has it ready, the
// window waits for or does itself: what it shows is the same either way.

#include <condition_variable>
#include <mutex>

#include <pthread.h>

namespace tolvane {

class StartUpHelper {
public:
    // Begins at once: the font configuration needs no application object.
    StartUpHelper();
    // Waits for the helper, as finish() does.
    ~StartUpHelper();
    StartUpHelper(const StartUpHelper&) = delete;
    StartUpHelper& operator=(const StartUpHelper&) = delete;

    // The application object exists: the font database can be filled.
    void applicationReady();
    // Returns once the font configuration is read, so that the first font
    // the window asks for does not read it a second time.
    void waitForFontConfiguration();
    // Waits for the helper to end; before the application object goes.
    void finish();

private:
    static void* run(void* self);
    void work();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool configurationRead_ = false;
    bool applicationReady_ = false;
    bool finishing_ = false;
    bool started_ = false;
    pthread_t thread_{};
};

}  // namespace tolvane
