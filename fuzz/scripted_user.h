// Hands the portable dialogs' scripted user a new script for each input.
//
// The script travels in CORVANE_USER_SCRIPT and starts anew whenever its text
// changes, so each one carries a serial remark. setenv keeps every distinct
// value it was ever given (the C library never frees them): one allocation
// per input that is never released, which made libFuzzer re-run every input
// and scan the heap for leaks, and would grow without bound. putenv of a
// buffer owned here and rewritten in place allocates nothing. The serial has
// a fixed width, so that the dialogs' copy of the script keeps one length.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void SetUserScript(const char* steps) {
    static char entry[512];
    static unsigned long long serial = 0;
    const int length = std::snprintf(entry, sizeof entry, "CORVANE_USER_SCRIPT=#%020llu;%s", serial++, steps);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof entry || putenv(entry) != 0) {
        std::abort();
    }
}
