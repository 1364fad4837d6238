// text.cpp: Windows-1252 case mapping and small text helpers.
#include "expr/text.h"

namespace engine::expr {

std::string upper1252(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(upper1252(static_cast<unsigned char>(c)));
    return r;
}

std::string lower1252(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(lower1252(static_cast<unsigned char>(c)));
    return r;
}

std::string_view trimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;  // names are mostly written in the case they are compared with
        // Different bytes match only as the two cases of one ASCII letter (0x20 apart).
        unsigned char lower = static_cast<unsigned char>(x | 0x20);
        if (lower != (y | 0x20) || lower < 'a' || lower > 'z') return false;
    }
    return true;
}

}  // namespace engine::expr
