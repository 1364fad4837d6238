// demo_scripts.cpp: generates the rows of the demo dictionaries Compta, Ventes and Personnel.
#include "engine/tools/demodata/demo_scripts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "engine/tools/demodata/demo_random.h"
#include "engine/tools/demodata/lexicon.h"
#include "engine/tools/demodata/sql_text.h"

namespace demo {
namespace {

// Days from 2000-01-01 to the first day of the demo's business history (2019-01-01) and the
// span it covers, so that invoices, orders and leaves fall in 2019..2026.
constexpr int64_t kHistoryStart = 6940;
constexpr int64_t kHistoryDays = 8 * 365;

int rows(double scale, int full) {
    return std::max(5, static_cast<int>(std::lround(full * scale)));
}

std::string code(const char* prefix, int width, int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%0*d", prefix, width, n);
    return buf;
}

std::string phone(Random& r) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "0%lld %02lld %02lld %02lld %02lld",
                  static_cast<long long>(r.between(1, 5)), static_cast<long long>(r.between(0, 99)),
                  static_cast<long long>(r.between(0, 99)),
                  static_cast<long long>(r.between(0, 99)),
                  static_cast<long long>(r.between(0, 99)));
    return buf;
}

// Lower-case ASCII form of a name for e-mail addresses ("Hélène Le Gall" -> "helene.legall").
std::string mailPart(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            if (std::isalnum(c)) out += static_cast<char>(std::tolower(c));
            continue;
        }
        // Two-byte Latin letters: keep their base letter.
        const std::string ch = utf8.substr(i, 2);
        const std::string lower = ch == "É" ? "é" : ch == "È" ? "è" : ch;
        static const char* kBases[][2] = {
            {"à", "a"}, {"â", "a"}, {"ç", "c"}, {"é", "e"}, {"è", "e"}, {"ê", "e"}, {"ë", "e"},
            {"î", "i"}, {"ï", "i"}, {"ô", "o"}, {"ù", "u"}, {"û", "u"}, {"ü", "u"}};
        for (const auto& b : kBases) {
            if (lower == b[0]) out += b[1];
        }
        ++i;
    }
    return out;
}

double money(Random& r, double lo, double hi) {
    return std::round((lo + (hi - lo) * static_cast<double>(r.between(0, 10000)) / 10000.0) * 100) /
           100;
}

Date someDay(Random& r) {
    return dateFromDays(kHistoryStart + r.between(0, kHistoryDays - 1));
}

int64_t dayNumber(Random& r) {
    return kHistoryStart + r.between(0, kHistoryDays - 1);
}

struct Person {
    std::string first;
    std::string last;
};

Person person(Random& r) {
    return {r.pick(firstNames()), r.pick(lastNames())};
}

std::string companyName(Random& r) {
    return r.pick(trades()) + " " + r.pick(lastNames()) + " " + r.pick(legalForms());
}

// ---- Compta ------------------------------------------------------------------------------

TableScript clients(Random& r, int count) {
    TableScript t{"Clients",
                  "CREATE TABLE Clients (CodeClient Char(8), RaisonSociale CIChar(60), "
                  "Contact CIChar(40), Adresse Char(60), CodePostal Char(5), Ville CIChar(40), "
                  "Telephone Char(14), Email Char(60), DateCreation Date, EnCompte Logical, "
                  "PlafondCredit Double, Notes Memo)",
                  {"CREATE UNIQUE INDEX CodeClient ON Clients(CodeClient)",
                   "CREATE INDEX RaisonSociale ON Clients(RaisonSociale)",
                   "CREATE INDEX Ville ON Clients(Ville)"},
                  "CodeClient",
                  {}};
    static const std::vector<std::string> cols{
        "CodeClient", "RaisonSociale", "Contact",      "Adresse",  "CodePostal",    "Ville",
        "Telephone",  "Email",         "DateCreation", "EnCompte", "PlafondCredit", "Notes"};
    for (int i = 1; i <= count; ++i) {
        const Person p = person(r);
        const City& c = r.pick(cities());
        InsertRow row(cols);
        row.text(code("C", 5, i))
            .text(companyName(r))
            .text(p.first + " " + p.last)
            .text(std::to_string(r.between(1, 180)) + " " + r.pick(streets()))
            .text(c.postcode)
            .text(c.name)
            .text(phone(r))
            .text(mailPart(p.first) + "." + mailPart(p.last) + "@exemple.fr")
            .date(someDay(r))
            .logical(r.chance(0.7))
            .real(money(r, 1000, 50000));
        if (r.chance(0.4))
            row.text(r.pick(customerNotes()));
        else
            row.null();
        t.inserts.push_back(row.sql(t.name));
    }
    return t;
}

TableScript suppliers(Random& r, int count) {
    TableScript t{"Fournisseurs",
                  "CREATE TABLE Fournisseurs (CodeFournisseur Char(8), RaisonSociale CIChar(60), "
                  "Ville CIChar(40), CodePostal Char(5), Telephone Char(14), Siret Char(14), "
                  "DelaiPaiement Integer, Actif Logical)",
                  {"CREATE UNIQUE INDEX CodeFournisseur ON Fournisseurs(CodeFournisseur)"},
                  "",
                  {}};
    static const std::vector<std::string> cols{"CodeFournisseur", "RaisonSociale", "Ville",
                                               "CodePostal",      "Telephone",     "Siret",
                                               "DelaiPaiement",   "Actif"};
    static const std::vector<int> kDelays{0, 30, 45, 60};
    for (int i = 1; i <= count; ++i) {
        const City& c = r.pick(cities());
        InsertRow row(cols);
        row.text(code("F", 5, i))
            .text(companyName(r))
            .text(c.name)
            .text(c.postcode)
            .text(phone(r))
            .text(code("", 9, static_cast<int>(r.between(100000000, 999999999))) +
                  code("", 5, static_cast<int>(r.between(10, 99999))))
            .integer(r.pick(kDelays))
            .logical(r.chance(0.9));
        t.inserts.push_back(row.sql(t.name));
    }
    return t;
}

// Invoices and their payments: a paid invoice has one payment of its full amount.
std::vector<TableScript> invoices(Random& r, int count, int clientCount) {
    TableScript inv{"Factures",
                    "CREATE TABLE Factures (Id AutoInc, NumFacture Char(12), CodeClient Char(8), "
                    "DateFacture Date, Echeance Date, MontantHT Double, TauxTVA Double, "
                    "MontantTTC Double, Reglee Logical, DateSaisie TimeStamp)",
                    {"CREATE UNIQUE INDEX NumFacture ON Factures(NumFacture)",
                     "CREATE INDEX CodeClient ON Factures(CodeClient)"},
                    "NumFacture",
                    {}};
    TableScript pay{"Reglements",
                    "CREATE TABLE Reglements (Id AutoInc, NumFacture Char(12), "
                    "DateReglement Date, Montant Double, ModeReglement CIChar(20))",
                    {"CREATE INDEX NumFacture ON Reglements(NumFacture)"},
                    "",
                    {}};
    static const std::vector<std::string> invCols{"NumFacture", "CodeClient", "DateFacture",
                                                  "Echeance",   "MontantHT",  "TauxTVA",
                                                  "MontantTTC", "Reglee",     "DateSaisie"};
    static const std::vector<std::string> payCols{"NumFacture", "DateReglement", "Montant",
                                                  "ModeReglement"};
    static const std::vector<double> kRates{20.0, 20.0, 20.0, 10.0, 5.5};
    for (int i = 1; i <= count; ++i) {
        const int64_t day = dayNumber(r);
        const Date d = dateFromDays(day);
        const std::string number = "FA" + std::to_string(d.year) + "-" + code("", 5, i);
        const double ht = money(r, 25, 8000);
        const double rate = r.pick(kRates);
        const double ttc = std::round(ht * (100 + rate)) / 100;
        const bool paid = r.chance(0.75);
        InsertRow row(invCols);
        row.text(number)
            .text(code("C", 5, static_cast<int>(r.between(1, clientCount))))
            .date(d)
            .date(dateFromDays(day + 30))
            .real(ht)
            .real(rate, 1)
            .real(ttc)
            .logical(paid)
            .timestamp(d, static_cast<int>(r.between(8, 18)), static_cast<int>(r.between(0, 59)),
                       static_cast<int>(r.between(0, 59)));
        inv.inserts.push_back(row.sql(inv.name));
        if (paid) {
            InsertRow p(payCols);
            p.text(number)
                .date(dateFromDays(day + r.between(0, 45)))
                .real(ttc)
                .text(r.pick(paymentMethods()));
            pay.inserts.push_back(p.sql(pay.name));
        }
    }
    return {inv, pay};
}

// A table of the dictionary whose file has gone: the tool must leave it out of its lists.
TableScript lostArchive() {
    TableScript t{
        "Archives2019",
        "CREATE TABLE Archives2019 (NumFacture Char(12), MontantTTC Double)",
        {},
        "",
        {"INSERT INTO Archives2019 (NumFacture, MontantTTC) VALUES ('FA2019-00001', 1.5)"}};
    t.fileMissing = true;
    return t;
}

// ---- Ventes ------------------------------------------------------------------------------

struct Product {
    std::string reference;
    double price;
};

TableScript products(Random& r, int count, std::vector<Product>& made) {
    TableScript t{"Produits",
                  "CREATE TABLE Produits (Reference Char(10), Designation CIChar(80), "
                  "Famille CIChar(30), PrixHT Double, Stock Integer, SeuilAlerte Integer, "
                  "Actif Logical, DateMaj TimeStamp)",
                  {"CREATE UNIQUE INDEX Reference ON Produits(Reference)",
                   "CREATE INDEX Designation ON Produits(Designation)",
                   "CREATE INDEX Famille ON Produits(Famille)"},
                  "Reference",
                  {}};
    static const std::vector<std::string> cols{"Reference", "Designation", "Famille", "PrixHT",
                                               "Stock",     "SeuilAlerte", "Actif",   "DateMaj"};
    for (int i = 1; i <= count; ++i) {
        const ProductFamily& f = r.pick(productFamilies());
        const double price = money(r, f.minPrice, f.maxPrice);
        const std::string ref = code("PRD-", 5, i);
        made.push_back({ref, price});
        InsertRow row(cols);
        row.text(ref)
            .text(r.pick(f.items) + r.pick(productVariants()))
            .text(f.family)
            .real(price)
            .integer(r.between(0, 900))
            .integer(r.between(5, 50))
            .logical(r.chance(0.92))
            .timestamp(someDay(r), static_cast<int>(r.between(7, 19)),
                       static_cast<int>(r.between(0, 59)), static_cast<int>(r.between(0, 59)));
        t.inserts.push_back(row.sql(t.name));
    }
    return t;
}

TableScript representatives(Random& r, int count) {
    TableScript t{"Representants",
                  "CREATE TABLE Representants (Code Char(6), Nom CIChar(40), Prenom CIChar(30), "
                  "Secteur CIChar(40), Telephone Char(14), Commission Double)",
                  {"CREATE UNIQUE INDEX Code ON Representants(Code)"},
                  "",
                  {}};
    static const std::vector<std::string> cols{"Code",    "Nom",       "Prenom",
                                               "Secteur", "Telephone", "Commission"};
    for (int i = 1; i <= count; ++i) {
        const Person p = person(r);
        InsertRow row(cols);
        row.text(code("R", 3, i))
            .text(p.last)
            .text(p.first)
            .text(r.pick(cities()).name)
            .text(phone(r))
            .real(static_cast<double>(r.between(20, 80)) / 10, 1);
        t.inserts.push_back(row.sql(t.name));
    }
    return t;
}

std::vector<TableScript> orders(Random& r, int count, int clientCount, int repCount,
                                const std::vector<Product>& catalogue) {
    TableScript ord{"Commandes",
                    "CREATE TABLE Commandes (NumCommande Char(12), CodeClient Char(8), "
                    "Representant Char(6), DateCommande Date, DateLivraison Date, "
                    "Statut CIChar(20), TotalHT Double, Urgent Logical)",
                    {"CREATE UNIQUE INDEX NumCommande ON Commandes(NumCommande)",
                     "CREATE INDEX CodeClient ON Commandes(CodeClient)"},
                    "NumCommande",
                    {}};
    TableScript lines{"LignesCommande",
                      "CREATE TABLE LignesCommande (NumCommande Char(12), NumLigne Integer, "
                      "Reference Char(10), Quantite Integer, PrixUnitaire Double, Remise Double)",
                      {"CREATE INDEX NumCommande ON LignesCommande(NumCommande)"},
                      "",
                      {}};
    static const std::vector<std::string> ordCols{"NumCommande",  "CodeClient",    "Representant",
                                                  "DateCommande", "DateLivraison", "Statut",
                                                  "TotalHT",      "Urgent"};
    static const std::vector<std::string> lineCols{"NumCommande", "NumLigne",     "Reference",
                                                   "Quantite",    "PrixUnitaire", "Remise"};
    static const std::vector<std::string> kStates{
        "Livrée", "Livrée", "Livrée", "En préparation", "Expédiée", "Annulée", "En attente"};
    static const std::vector<double> kDiscounts{0, 0, 0, 5, 10};
    for (int i = 1; i <= count; ++i) {
        const int64_t day = dayNumber(r);
        const std::string number = "CMD-" + code("", 6, i);
        const std::string& state = r.pick(kStates);
        double total = 0;
        const int lineCount = static_cast<int>(r.between(1, 5));
        for (int n = 1; n <= lineCount; ++n) {
            const Product& p = r.pick(catalogue);
            const int64_t qty = r.between(1, 24);
            const double discount = r.pick(kDiscounts);
            total += std::round(p.price * static_cast<double>(qty) * (100 - discount)) / 100;
            InsertRow line(lineCols);
            line.text(number)
                .integer(n)
                .text(p.reference)
                .integer(qty)
                .real(p.price)
                .real(discount, 1);
            lines.inserts.push_back(line.sql(lines.name));
        }
        InsertRow row(ordCols);
        row.text(number)
            .text(code("C", 5, static_cast<int>(r.between(1, clientCount))))
            .text(code("R", 3, static_cast<int>(r.between(1, repCount))))
            .date(dateFromDays(day));
        if (state == "Livrée")
            row.date(dateFromDays(day + r.between(1, 12)));
        else
            row.null();
        row.text(state).real(total).logical(r.chance(0.1));
        ord.inserts.push_back(row.sql(ord.name));
    }
    return {ord, lines};
}

// ---- Personnel ---------------------------------------------------------------------------

TableScript services(Random& r) {
    TableScript t{"Services",
                  "CREATE TABLE Services (Code Char(4), Libelle CIChar(40), Responsable Char(6))",
                  {"CREATE UNIQUE INDEX Code ON Services(Code)"},
                  "Code",
                  {}};
    static const std::vector<std::string> cols{"Code", "Libelle", "Responsable"};
    const auto& names = departments();
    for (size_t i = 0; i < names.size(); ++i) {
        InsertRow row(cols);
        row.text(code("S", 3, static_cast<int>(i + 1)))
            .text(names[i])
            .text(code("M", 5, static_cast<int>(r.between(1, 40))));
        t.inserts.push_back(row.sql(t.name));
    }
    return t;
}

TableScript employees(Random& r, int count) {
    TableScript t{
        "Employes",
        "CREATE TABLE Employes (Matricule Char(6), Nom CIChar(40), Prenom CIChar(30), "
        "Service CIChar(30), Poste CIChar(40), DateEmbauche Date, Salaire Double, "
        "TempsPartiel Logical, Telephone Char(14), Email Char(60))",
        {"CREATE UNIQUE INDEX Matricule ON Employes(Matricule)",
         "CREATE INDEX Nom ON Employes(Nom)", "CREATE INDEX Service ON Employes(Service)"},
        "Matricule",
        {}};
    static const std::vector<std::string> cols{
        "Matricule",    "Nom",     "Prenom",       "Service",   "Poste",
        "DateEmbauche", "Salaire", "TempsPartiel", "Telephone", "Email"};
    for (int i = 1; i <= count; ++i) {
        const Person p = person(r);
        InsertRow row(cols);
        row.text(code("M", 5, i))
            .text(p.last)
            .text(p.first)
            .text(r.pick(departments()))
            .text(r.pick(jobTitles()))
            .date(dateFromDays(r.between(-3650, kHistoryStart + 2500)))
            .real(static_cast<double>(r.between(1800, 6500)) +
                  0.5 * static_cast<double>(r.between(0, 1)))
            .logical(r.chance(0.15))
            .text(phone(r))
            .text(mailPart(p.first) + "." + mailPart(p.last) + "@entreprise.fr");
        t.inserts.push_back(row.sql(t.name));
    }
    return t;
}

TableScript leaves(Random& r, int count, int employeeCount) {
    TableScript t{"Conges",
                  "CREATE TABLE Conges (Id AutoInc, Matricule Char(6), TypeAbsence CIChar(20), "
                  "DateDebut Date, DateFin Date, NbJours Double, Valide Logical, "
                  "DateDemande TimeStamp)",
                  {"CREATE INDEX Matricule ON Conges(Matricule)"},
                  "",
                  {}};
    static const std::vector<std::string> cols{"Matricule", "TypeAbsence", "DateDebut",  "DateFin",
                                               "NbJours",   "Valide",      "DateDemande"};
    for (int i = 1; i <= count; ++i) {
        const int64_t start = dayNumber(r);
        const int64_t length = r.between(1, 15);
        InsertRow row(cols);
        row.text(code("M", 5, static_cast<int>(r.between(1, employeeCount))))
            .text(r.pick(leaveKinds()))
            .date(dateFromDays(start))
            .date(dateFromDays(start + length - 1))
            .real(static_cast<double>(length) - (r.chance(0.1) ? 0.5 : 0), 1)
            .logical(r.chance(0.8))
            .timestamp(dateFromDays(start - r.between(3, 40)), static_cast<int>(r.between(8, 18)),
                       static_cast<int>(r.between(0, 59)), static_cast<int>(r.between(0, 59)));
        t.inserts.push_back(row.sql(t.name));
    }
    return t;
}

}  // namespace

std::vector<DictionaryScript> demoScripts(uint64_t seed, double scale) {
    Random r(seed);
    const int clientCount = rows(scale, 800);
    const int repCount = rows(scale, 40);
    const int employeeCount = rows(scale, 260);

    DictionaryScript compta{"Compta", {}};
    compta.tables.push_back(clients(r, clientCount));
    compta.tables.push_back(suppliers(r, rows(scale, 150)));
    for (auto& t : invoices(r, rows(scale, 3000), clientCount))
        compta.tables.push_back(std::move(t));
    compta.tables.push_back(lostArchive());

    DictionaryScript ventes{"Ventes", {}};
    std::vector<Product> catalogue;
    ventes.tables.push_back(products(r, rows(scale, 450), catalogue));
    ventes.tables.push_back(representatives(r, repCount));
    for (auto& t : orders(r, rows(scale, 1500), clientCount, repCount, catalogue)) {
        ventes.tables.push_back(std::move(t));
    }

    DictionaryScript personnel{"Personnel", {}};
    personnel.tables.push_back(services(r));
    personnel.tables.push_back(employees(r, employeeCount));
    personnel.tables.push_back(leaves(r, rows(scale, 1200), employeeCount));

    return {compta, ventes, personnel};
}

}  // namespace demo
