// record_input.h: what the specific-record window accepts as the table, the field and the
// value it writes into its record lookup statement.
//
// The user types the table, the field and the value, and they reach the server's SQL as
// typed: the user writes the quotes of a text value himself. So that nothing typed there can
// add to the statement or be read as something else, the table and the field must each be
// one name, and the value one literal.
#ifndef BREVANTIS_TOOLS_RECORD_INPUT_H
#define BREVANTIS_TOOLS_RECORD_INPUT_H

#include <QString>

namespace record_input {

// Whether `text` is one name as the server reads an unquoted name: a letter (accented ones
// included), "_" or "@", then letters, digits, "_", "$" or "@"; nothing else, no blank.
bool isName(const QString& text);

// The kinds of value accepted. Blanks (spaces, tabs) may surround the literal.
enum class Literal {
    NotALiteral,     // not one literal: refused
    Number,          // an optional "-", digits with an optional "." and decimals (or "."
                     // and decimals), then an optional exponent ("e", sign, digits)
    Logical,         // TRUE or FALSE, in any letter case
    ApostropheText,  // 'text', an apostrophe inside written twice
    QuotedText,      // "text", a double quote inside written twice
};

// What `value` is; `content`, when given, receives the text between the quotes with doubled
// quotes undone (for Number and Logical: the literal as written).
Literal literal(const QString& value, QString* content = nullptr);

// The refusals, in plain French, shown when a search is refused before any statement is sent.
extern const QString kInvalidTable;
extern const QString kInvalidField;
extern const QString kInvalidValue;
// A text between double quotes that also names a column of the table would be read as that
// column; `%1` is the text.
QString valueIsAField(const QString& content);

}  // namespace record_input

#endif  // BREVANTIS_TOOLS_RECORD_INPUT_H
