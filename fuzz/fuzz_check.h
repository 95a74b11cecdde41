// The failed invariant, named on the way down: libFuzzer reports only the signal, and a
// stack trace alone does not say which of several checks in one function failed.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace ym::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

} // namespace ym::fuzz

#define YM_FUZZ_CHECK(condition)                                                                   \
    ((condition) ? static_cast<void>(0) : ::ym::fuzz::Fail(#condition, __FILE__, __LINE__))
