#pragma once
// The number of the error a call ends in, for tests of what fails how.

#include "services/vberror.h"

#include <optional>

namespace tolvane::test {

// The error the call ends in, if any.
template <typename F>
std::optional<VbError> failureOf(F&& call)
{
    try {
        call();
    } catch (const VbError& e) {
        return e;
    }
    return std::nullopt;
}

// 0 when the call ends without an error.
template <typename F>
int errorOf(F&& call)
{
    const std::optional<VbError> failure = failureOf(call);
    return failure ? failure->number() : 0;
}

}  // namespace tolvane::test
