// record_input_test.cpp: which tables, fields and values the record window lets through to
// its statement, one line per input.
#include "tools/record_input.h"

#include <gtest/gtest.h>

namespace {

using record_input::Literal;

TEST(RecordInput, NamesAreOneUnquotedName) {
    const struct {
        const char* text;
        bool name;
    } cases[] = {
        {"Clients", true},
        {"LignesCommande", true},
        {"_x1", true},
        {"Prénom", true},
        {"@p$2", true},
        {"", false},
        {"1Clients", false},
        {"$x", false},
        {" Clients", false},  // the table's file path would have a blank
        {"Clients ", false},
        {"Mes Clients", false},
        {"Clients;", false},
        {"Clients; DROP TABLE Clients", false},
        {"Clients--", false},
        {"[Clients]", false},
        {"\"Clients\"", false},
        {"x.y", false},
        {"../Personnel/Services", false},
        {"#Temp", false},
        {"Code=Code", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(record_input::isName(QString::fromUtf8(c.text)), c.name) << c.text;
}

TEST(RecordInput, ValuesAreOneLiteral) {
    const struct {
        const char* value;
        Literal kind;
        const char* content;
    } cases[] = {
        {"1234", Literal::Number, "1234"},
        {"-12", Literal::Number, "-12"},
        {"12.50", Literal::Number, "12.50"},
        {" \t42 ", Literal::Number, "42"},
        {"'C00003'", Literal::ApostropheText, "C00003"},
        {"'L''Oréal'", Literal::ApostropheText, "L'Oréal"},
        {"''", Literal::ApostropheText, ""},
        {"''''", Literal::ApostropheText, "'"},
        {"'a\"b'", Literal::ApostropheText, "a\"b"},
        {"'1; DROP TABLE Clients'", Literal::ApostropheText, "1; DROP TABLE Clients"},
        {"'x // y -- z'", Literal::ApostropheText, "x // y -- z"},
        {"'a'' OR ''x''=''x'", Literal::ApostropheText, "a' OR 'x'='x"},  // all inside
        {"\"Dupont\"", Literal::QuotedText, "Dupont"},
        {"\"Le \"\"Grand\"\" Café\"", Literal::QuotedText, "Le \"Grand\" Café"},
        {" 'x' ", Literal::ApostropheText, "x"},
        // The engine's other forms of one number, and its two logical words in any case.
        {"1.", Literal::Number, "1."},
        {".5", Literal::Number, ".5"},
        {"-.5", Literal::Number, "-.5"},
        {"1e5", Literal::Number, "1e5"},
        {"2.5E-3", Literal::Number, "2.5E-3"},
        {"TRUE", Literal::Logical, "TRUE"},
        {" false ", Literal::Logical, "false"},
        {"True", Literal::Logical, "True"},
        // Refused: not one literal.
        {"", Literal::NotALiteral, ""},
        {"   ", Literal::NotALiteral, ""},
        {"Dupont", Literal::NotALiteral, ""},  // a bare word is a column
        {"1; DROP TABLE Clients", Literal::NotALiteral, ""},
        {"1 OR 1=1", Literal::NotALiteral, ""},
        {"'a' OR 'b'='b'", Literal::NotALiteral, ""},
        {"'a'; DROP TABLE Clients", Literal::NotALiteral, ""},
        {"'L'Oréal'", Literal::NotALiteral, ""},
        {"'abc", Literal::NotALiteral, ""},
        {"'", Literal::NotALiteral, ""},
        {"\"a\" + \"b\"", Literal::NotALiteral, ""},
        {"'a\"", Literal::NotALiteral, ""},
        {"1 // comment", Literal::NotALiteral, ""},
        {"12 34", Literal::NotALiteral, ""},
        {"+5", Literal::NotALiteral, ""},
        {"- 5", Literal::NotALiteral, ""},
        {"--5", Literal::NotALiteral, ""},
        {".", Literal::NotALiteral, ""},
        {"1.2.3", Literal::NotALiteral, ""},
        {"1e", Literal::NotALiteral, ""},
        {"e5", Literal::NotALiteral, ""},
        {"1e+", Literal::NotALiteral, ""},
        {"T", Literal::NotALiteral, ""},  // a column in SQL
        {".T.", Literal::NotALiteral, ""},
        {"TRUE OR 1=1", Literal::NotALiteral, ""},
        {"TRUEX", Literal::NotALiteral, ""},
        {"0x1F", Literal::NotALiteral, ""},
        {":code", Literal::NotALiteral, ""},  // a parameter, sent empty
        {"NULL", Literal::NotALiteral, ""},
        {"Code", Literal::NotALiteral, ""},
    };
    for (const auto& c : cases) {
        QString content = QStringLiteral("unchanged");
        const Literal kind = record_input::literal(QString::fromUtf8(c.value), &content);
        EXPECT_EQ(kind, c.kind) << c.value;
        if (kind != Literal::NotALiteral) {
            EXPECT_EQ(content, QString::fromUtf8(c.content)) << c.value;
        }
    }
}

}  // namespace
