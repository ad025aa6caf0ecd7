#pragma once
// The tool runs under an address-space limit: the reader under the one the
// program sets, the checker under any the user set. Where the Jet library
// asks for more memory than that leaves, it would not always stop (one of
// its loops reports the failure and carries on with what it has), so every
// failed allocation ends the process at once with one line naming the limit.

namespace tolvane::reader {

// Reads the limit the process runs under, for the line, which starts with
// prefix; a failed allocation then ends the process with exitCode. Call
// first thing.
void watchMemoryLimit(const char* prefix, int exitCode);

}  // namespace tolvane::reader
