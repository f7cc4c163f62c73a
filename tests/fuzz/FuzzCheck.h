// A broken invariant must stop the fuzzer with a crash it records, also in
// builds where assert() is compiled out.
#pragma once

#include <cstdio>
#include <cstdlib>

#define KV_FUZZ_CHECK(cond)                                                        \
    do {                                                                           \
        if (!(cond)) {                                                             \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, \
                         #cond);                                                   \
            std::abort();                                                          \
        }                                                                          \
    } while (0)
