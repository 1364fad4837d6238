// connection_string.cpp: the connection string parser.
#include "engine/core/connection_string.h"

#include "engine/include/engine_api.h"
#include "engine/record/record_text.h"

namespace engine {
namespace {

Status bad(const std::string& why) {
    return Status::error(AE_INVALID_ARGUMENT, "Invalid connection string: " + why);
}

}  // namespace

Status parseConnectionString(std::string_view text, ConnectionSettings* out) {
    ConnectionSettings s;
    size_t i = 0;
    while (i < text.size()) {
        size_t eq = text.find_first_of("=;", i);
        if (eq == std::string_view::npos || text[eq] == ';') {
            std::string rest =
                record::trimBlanks(text.substr(i, eq == std::string_view::npos ? eq : eq - i));
            if (!rest.empty()) return bad("a part has no '=': " + rest);
            i = eq == std::string_view::npos ? text.size() : eq + 1;
            continue;
        }
        std::string key = record::upperAscii(record::trimBlanks(text.substr(i, eq - i)));
        size_t v = eq + 1;
        while (v < text.size() && text[v] == ' ') ++v;
        std::string value;
        if (v < text.size() && text[v] == '"') {
            size_t close = text.find('"', v + 1);
            if (close == std::string_view::npos) return bad("unterminated quote");
            value = std::string(text.substr(v + 1, close - v - 1));
            size_t semi = text.find(';', close);
            if (!record::trimBlanks(text.substr(close + 1, semi == std::string_view::npos
                                                               ? semi
                                                               : semi - close - 1))
                     .empty())
                return bad("text after a quoted value");
            i = semi == std::string_view::npos ? text.size() : semi + 1;
        } else {
            size_t semi = text.find(';', v);
            value = record::trimBlanks(
                text.substr(v, semi == std::string_view::npos ? semi : semi - v));
            i = semi == std::string_view::npos ? text.size() : semi + 1;
        }
        if (key == "DATA SOURCE") {
            s.dataSource = value;
        } else if (key == "USER ID") {
            s.userId = value;
        } else if (key == "PASSWORD") {
            s.password = value;
        } else if (key == "FIPS") {
            std::string u = record::upperAscii(value);
            if (u != "TRUE" && u != "FALSE") return bad("FIPS must be True or False");
            s.fips = u == "TRUE";
        } else if (key == "SERVERTYPE") {
            s.serverTypeGiven = true;
            size_t start = 0;
            std::string u = record::upperAscii(value);
            while (start <= u.size()) {
                size_t bar = u.find('|', start);
                std::string word = record::trimBlanks(
                    u.substr(start, bar == std::string::npos ? bar : bar - start));
                if (word == "LOCAL")
                    s.local = true;
                else if (word == "REMOTE")
                    s.remote = true;
                else if (word == "INTERNET")
                    s.internet = true;
                else
                    return bad("unknown server type '" + word + "'");
                if (bar == std::string::npos) break;
                start = bar + 1;
            }
        }
    }
    if (s.dataSource.empty()) return bad("no Data Source");
    *out = std::move(s);
    return Status::success();
}

}  // namespace engine
