#pragma once
// One run of the Jet reader process: started with nothing of the program's
// open but its stderr pipe, under an address-space limit, and waited for on
// its pipe and its process handle until it ends or its deadline passes.

#include <string>
#include <vector>

namespace tolvane::jetcopy {

struct ReaderRun {
    enum End { Finished, Crashed, TimedOut } end = Finished;
    int code = 0;        // exit code, or signal number
    std::string errors;  // the start of what it wrote on stderr
    long peakKiB = 0;    // the most memory it held at once
    int wakeUps = 0;     // how often the wait woke: on events and the deadline, never on ticks
};

// Runs program with args to its end or its deadline, whichever comes first;
// a reader still running at the deadline is killed. memoryBytes is its
// address-space limit (0: none). Returns false when it could not be started.
bool runReader(const std::string& program, const std::vector<std::string>& args, int deadlineMs,
               long long memoryBytes, ReaderRun& run);

// The last run, for the tests and the benchmarks.
const ReaderRun& lastReaderRun();

}  // namespace tolvane::jetcopy
