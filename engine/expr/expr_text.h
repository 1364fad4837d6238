// expr_text.h: Windows-1252 text helpers shared by expressions and SQL.
#ifndef BREVANTIS_ENGINE_EXPR_EXPR_TEXT_H
#define BREVANTIS_ENGINE_EXPR_EXPR_TEXT_H

#include <string>
#include <string_view>

#include "codepage/cp1252.h"
#include "engine/record/record_text.h"  // equalsNoCase, header-only

namespace engine::expr {

// Whole-string case conversions in Windows-1252.
std::string upper1252(std::string_view s);
std::string lower1252(std::string_view s);

// `s` without its trailing blanks.
std::string_view trimRight(std::string_view s);

// True when a and b are equal without regard to ASCII letter case (names, keywords).
using record::equalsNoCase;

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_EXPR_TEXT_H
