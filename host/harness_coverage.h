// The reference host and the fuzzers' scene reader are the harness around
// the plug-in, not the code under test. Under clang, the functions defined
// between CORVANE_HARNESS_BEGIN and CORVANE_HARNESS_END (placed after a
// file's includes) feed the fuzzer no edge coverage and no comparisons: its
// bookkeeping for every input grows with the edges the input runs through,
// and the plug-in's own edges already tell it what an input reached. The
// sanitizers stay on. Inline functions and templates of the headers included
// before the mark keep their coverage, so the copies the plug-in shares with
// the harness keep theirs whichever one the linker keeps (an ignore list by
// source file would strip them with the harness's copies).
#pragma once

#if defined(__clang__)
#define CORVANE_HARNESS_BEGIN \
    _Pragma("clang attribute push(__attribute__((no_sanitize(\"coverage\"))), apply_to = function)")
#define CORVANE_HARNESS_END _Pragma("clang attribute pop")
#else
#define CORVANE_HARNESS_BEGIN
#define CORVANE_HARNESS_END
#endif
