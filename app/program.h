#pragma once
// The program once its process has started: the application object, the
// desktop's ports, the dialogs and the banner wired to the main window, its
// start-up and the event loop. main() is only this; the start-up benchmark
// runs the same path in a process of its own.

#include <QString>

#include <functional>

namespace tolvane {

struct ProgramOptions {
    bool splashWait = true;
    QString messageServer;  // empty: the maker's
    // Called once the application object exists, before any window.
    std::function<void()> prepare;
};

// The program's exit code.
int runProgram(int& argc, char** argv, const ProgramOptions& options = {});

// Before the window: the catalogue copies cleaned up, with the per-user
// folders made first, as the window's load step makes them, so that why the
// clean-up passes a copy folder over is in the log on a first start too.
void cleanUpCatalogueCopiesAtStart();

}  // namespace tolvane
