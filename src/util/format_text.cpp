#include "util/format_text.h"

#include <cstdarg>
#include <cstdio>

namespace {

struct Output {
    char16_t* out;
    std::size_t capacity;
    std::size_t length;
};

void Put(Output& o, char16_t c) {
    if (o.length + 1 < o.capacity) {
        o.out[o.length++] = c;
    }
}

}  // namespace

std::size_t FormatText(char16_t* out, std::size_t capacity, const char16_t* format, ...) {
    if (out == nullptr || capacity == 0) {
        return 0;
    }
    Output o{out, capacity, 0};
    va_list args;
    va_start(args, format);
    for (const char16_t* f = format; f != nullptr && *f != 0; ++f) {
        if (*f != u'%' || (f[1] != u'd' && f[1] != u's' && f[1] != u'%')) {
            Put(o, *f);
            continue;
        }
        ++f;
        if (*f == u'%') {
            Put(o, u'%');
        } else if (*f == u'd') {
            char digits[16];
            std::snprintf(digits, sizeof(digits), "%d", va_arg(args, int));
            for (const char* d = digits; *d != 0; ++d) {
                Put(o, static_cast<char16_t>(*d));
            }
        } else {
            const char16_t* text = va_arg(args, const char16_t*);
            for (; text != nullptr && *text != 0; ++text) {
                Put(o, *text);
            }
        }
    }
    va_end(args);
    out[o.length] = 0;
    return o.length;
}
