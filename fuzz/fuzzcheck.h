#ifndef NIMBAL_FUZZCHECK_H
#define NIMBAL_FUZZCHECK_H

#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target: a violation aborts, so both the fuzzer and
// the corpus replay report it.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

#endif
