#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant of the code under test. A violation aborts, so that libFuzzer reports it as a
// crash and keeps the input (plain assert() is compiled out in the optimised fuzz build).
#define BL_FUZZ_CHECK(condition)                                                             \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)
