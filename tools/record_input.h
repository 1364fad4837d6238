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
bool estUnNom(const QString& text);

// The kinds of value accepted. Blanks (spaces, tabs) may surround the literal.
enum class Litteral {
    Aucun,             // not one literal: refused
    Nombre,            // an optional "-", digits with an optional "." and decimals (or "."
                       // and decimals), then an optional exponent ("e", sign, digits)
    Logique,           // TRUE or FALSE, in any letter case
    TexteApostrophes,  // 'text', an apostrophe inside written twice
    TexteGuillemets,   // "text", a double quote inside written twice
};

// What `value` is; `contenu`, when given, receives the text between the quotes with doubled
// quotes undone (for Nombre and Logique: the literal as written).
Litteral litteral(const QString& value, QString* contenu = nullptr);

// The refusals, in plain French, shown when a search is refused before any statement is sent.
extern const QString kTableInvalide;
extern const QString kChampInvalide;
extern const QString kValeurInvalide;
// A text between double quotes that also names a column of the table would be read as that
// column; `%1` is the text.
QString valeurEstUnChamp(const QString& contenu);

}  // namespace record_input

#endif  // BREVANTIS_TOOLS_RECORD_INPUT_H
