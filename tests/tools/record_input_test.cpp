// record_input_test.cpp: which tables, fields and values the record window lets through to
// its statement, one line per input.
#include "tools/record_input.h"

#include <gtest/gtest.h>

namespace {

using record_input::Litteral;

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
        EXPECT_EQ(record_input::estUnNom(QString::fromUtf8(c.text)), c.name) << c.text;
}

TEST(RecordInput, ValuesAreOneLiteral) {
    const struct {
        const char* value;
        Litteral kind;
        const char* content;
    } cases[] = {
        {"1234", Litteral::Nombre, "1234"},
        {"-12", Litteral::Nombre, "-12"},
        {"12.50", Litteral::Nombre, "12.50"},
        {" \t42 ", Litteral::Nombre, "42"},
        {"'C00003'", Litteral::TexteApostrophes, "C00003"},
        {"'L''Oréal'", Litteral::TexteApostrophes, "L'Oréal"},
        {"''", Litteral::TexteApostrophes, ""},
        {"''''", Litteral::TexteApostrophes, "'"},
        {"'a\"b'", Litteral::TexteApostrophes, "a\"b"},
        {"'1; DROP TABLE Clients'", Litteral::TexteApostrophes, "1; DROP TABLE Clients"},
        {"'x // y -- z'", Litteral::TexteApostrophes, "x // y -- z"},
        {"'a'' OR ''x''=''x'", Litteral::TexteApostrophes, "a' OR 'x'='x"},  // all inside
        {"\"Dupont\"", Litteral::TexteGuillemets, "Dupont"},
        {"\"Le \"\"Grand\"\" Café\"", Litteral::TexteGuillemets, "Le \"Grand\" Café"},
        {" 'x' ", Litteral::TexteApostrophes, "x"},
        // The engine's other forms of one number, and its two logical words in any case.
        {"1.", Litteral::Nombre, "1."},
        {".5", Litteral::Nombre, ".5"},
        {"-.5", Litteral::Nombre, "-.5"},
        {"1e5", Litteral::Nombre, "1e5"},
        {"2.5E-3", Litteral::Nombre, "2.5E-3"},
        {"TRUE", Litteral::Logique, "TRUE"},
        {" false ", Litteral::Logique, "false"},
        {"True", Litteral::Logique, "True"},
        // Refused: not one literal.
        {"", Litteral::Aucun, ""},
        {"   ", Litteral::Aucun, ""},
        {"Dupont", Litteral::Aucun, ""},  // a bare word is a column
        {"1; DROP TABLE Clients", Litteral::Aucun, ""},
        {"1 OR 1=1", Litteral::Aucun, ""},
        {"'a' OR 'b'='b'", Litteral::Aucun, ""},
        {"'a'; DROP TABLE Clients", Litteral::Aucun, ""},
        {"'L'Oréal'", Litteral::Aucun, ""},
        {"'abc", Litteral::Aucun, ""},
        {"'", Litteral::Aucun, ""},
        {"\"a\" + \"b\"", Litteral::Aucun, ""},
        {"'a\"", Litteral::Aucun, ""},
        {"1 // comment", Litteral::Aucun, ""},
        {"12 34", Litteral::Aucun, ""},
        {"+5", Litteral::Aucun, ""},
        {"- 5", Litteral::Aucun, ""},
        {"--5", Litteral::Aucun, ""},
        {".", Litteral::Aucun, ""},
        {"1.2.3", Litteral::Aucun, ""},
        {"1e", Litteral::Aucun, ""},
        {"e5", Litteral::Aucun, ""},
        {"1e+", Litteral::Aucun, ""},
        {"T", Litteral::Aucun, ""},  // a column in SQL
        {".T.", Litteral::Aucun, ""},
        {"TRUE OR 1=1", Litteral::Aucun, ""},
        {"TRUEX", Litteral::Aucun, ""},
        {"0x1F", Litteral::Aucun, ""},
        {":code", Litteral::Aucun, ""},  // a parameter, sent empty
        {"NULL", Litteral::Aucun, ""},
        {"Code", Litteral::Aucun, ""},
    };
    for (const auto& c : cases) {
        QString content = QStringLiteral("unchanged");
        const Litteral kind = record_input::litteral(QString::fromUtf8(c.value), &content);
        EXPECT_EQ(kind, c.kind) << c.value;
        if (kind != Litteral::Aucun) {
            EXPECT_EQ(content, QString::fromUtf8(c.content)) << c.value;
        }
    }
}

}  // namespace
