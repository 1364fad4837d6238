// expr_text.cpp: whole-text case mapping and small text helpers.
#include "engine/expr/expr_text.h"

namespace engine::expr {

std::string upper1252(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(cp1252::upper(static_cast<unsigned char>(c)));
    return r;
}

std::string lower1252(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(cp1252::lower(static_cast<unsigned char>(c)));
    return r;
}

std::string_view trimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

}  // namespace engine::expr
