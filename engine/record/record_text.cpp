// record_text.cpp: small text helpers.
#include "engine/record/record_text.h"

namespace engine::record {

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

std::string trimBlanks(std::string_view s) {
    return std::string(trimBlanksView(s));
}

std::string_view trimBlanksView(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

}  // namespace engine::record
