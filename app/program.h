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

}  // namespace tolvane
