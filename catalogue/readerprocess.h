#pragma once
// One run of the reader process: started with nothing of the program's open
// but its stderr pipe, the file it reads and the folder it writes into,
// under an address-space limit, and waited for on
// its pipe and its process handle until it ends or its deadline passes. It
// never outlives the program: it is killed when the program ends.

#include <string>
#include <vector>

namespace tolvane::catalogue {

struct ReaderRun {
    enum End { Finished, Crashed, TimedOut } end = Finished;
    int code = 0;        // exit code, or signal number
    std::string errors;  // the start of what it wrote on stderr
    std::string lastLine;  // the last line it wrote there, where it names what stopped it
    long long memoryLimit = 0;  // the address-space limit it ran under (0: none)
    long peakKiB = 0;    // the most memory it held at once
    long long cpuMs = 0; // the processor time it had, its own and the system's on its behalf
    int wakeUps = 0;     // how often the wait woke: on events and the deadline, never on ticks
};

// Runs program with args to its end or its deadline, whichever comes first;
// a reader still running at the deadline is killed. memoryBytes is its
// address-space limit (0: none), or the lower one the program itself was
// given. folder and source, when given, are open in the reader as
// kReaderFolderFd and kReaderSourceFd. Returns false when it could not be
// started. Call it from the thread that stays: the reader is killed when
// that thread ends.
bool runReader(const std::string& program, const std::vector<std::string>& args, int deadlineMs,
               long long memoryBytes, ReaderRun& run, int folder = -1, int source = -1);

// The last run, for the tests and the benchmarks.
const ReaderRun& lastReaderRun();

}  // namespace tolvane::catalogue
