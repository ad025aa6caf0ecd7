#pragma once
// The number of the error a call ends in, for tests of what fails how.

#include "services/vberror.h"

namespace tolvane::test {

// 0 when the call ends without an error.
template <typename F>
int errorOf(F&& call)
{
    try {
        call();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace tolvane::test
