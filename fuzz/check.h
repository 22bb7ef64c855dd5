// A broken invariant ends the run as a crash, so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                    \
  do {                                                                           \
    if (!(condition)) {                                                          \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, \
                   #condition);                                                  \
      std::abort();                                                              \
    }                                                                            \
  } while (false)
