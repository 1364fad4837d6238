// command_line.h: the engine's programs read their numeric arguments whole and in range, so
// that a typo is reported instead of becoming 0. Header only, no dependencies.
#ifndef BREVANTIS_ENGINE_BASE_COMMAND_LINE_H
#define BREVANTIS_ENGINE_BASE_COMMAND_LINE_H

#include <cerrno>
#include <cstdlib>
#include <string>

namespace engine {

// Reads `text` as a whole decimal number from `min` to `max` into *out; false (and *out
// untouched) for anything else: empty, signed, trailing characters, out of range.
inline bool parseWholeArgument(const char* text, unsigned long long min, unsigned long long max,
                               unsigned long long* out) {
    if (!text || *text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || n < min || n > max) return false;
    *out = n;
    return true;
}

// Reads `text` as a decimal number greater than `above` and at most `max` into *out.
inline bool parseDecimalArgument(const char* text, double above, double max, double* out) {
    if (!text || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const double x = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !(x > above && x <= max)) return false;
    *out = x;
    return true;
}

}  // namespace engine

#endif  // BREVANTIS_ENGINE_BASE_COMMAND_LINE_H
