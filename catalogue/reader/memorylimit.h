#pragma once
// The reader runs under an address-space limit. Where the Jet library asks
// for more memory than that leaves, it would not always stop (one of its
// loops reports the failure and carries on with what it has), so every
// failed allocation ends the reader at once with one line naming the limit.

namespace tolvane::jetreader {

// Reads the limit the process runs under, for the line; call first thing.
void watchMemoryLimit();

}  // namespace tolvane::jetreader
