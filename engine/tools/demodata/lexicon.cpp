// lexicon.cpp: the word lists of the demo data.
#include "engine/tools/demodata/lexicon.h"

namespace demo {

const std::vector<std::string>& firstNames() {
    static const std::vector<std::string> k{
        "Jean",     "Marie",      "Pierre",  "Sophie", "Luc",       "Camille", "Élodie",
        "François", "Hélène",     "Jérôme",  "Cécile", "Benoît",    "Amélie",  "Noémie",
        "Gaëlle",   "Loïc",       "Théo",    "Léa",    "Chloé",     "Maël",    "Nathalie",
        "Philippe", "Isabelle",   "Laurent", "Sylvie", "Thierry",   "Valérie", "Olivier",
        "Sandrine", "Christophe", "Émilie",  "Julien", "Aurélie",   "Nicolas", "Céline",
        "Stéphane", "Agnès",      "Mathieu", "Anaïs",  "Grégoire",  "Inès",    "Raphaël",
        "Clémence", "Bérénice",   "Hugo",    "Manon",  "Louis",     "Zoé",     "Gabriel",
        "Margaux",  "Yannick",    "Josiane", "Régis",  "Ghislaine", "Hervé",   "Françoise"};
    return k;
}

const std::vector<std::string>& lastNames() {
    static const std::vector<std::string> k{
        "Martin",  "Bernard",  "Dubois",    "Thomas",     "Robert",  "Richard",  "Petit",
        "Durand",  "Leroy",    "Moreau",    "Simon",      "Laurent", "Lefèvre",  "Michel",
        "Garcia",  "David",    "Bertrand",  "Roux",       "Vincent", "Fournier", "Morel",
        "Girard",  "André",    "Mercier",   "Dupont",     "Lambert", "Bonnet",   "François",
        "Legrand", "Garnier",  "Faure",     "Rousseau",   "Blanc",   "Guérin",   "Muller",
        "Henry",   "Roussel",  "Perrin",    "Morin",      "Mathieu", "Clément",  "Gauthier",
        "Dumont",  "Fontaine", "Chevalier", "Robin",      "Masson",  "Gérard",   "Nguyen",
        "Boyer",   "Denis",    "Lemaire",   "Duval",      "Joly",    "Roche",    "Noël",
        "Meunier", "Marchand", "Dufour",    "Blanchard",  "Fabre",   "Brun",     "Barbier",
        "Arnaud",  "Giraud",   "Leclerc",   "Rivière",    "Aubert",  "Carré",    "Lacroix",
        "Renaud",  "Schmitt",  "Colin",     "Picard",     "Fleury",  "Le Gall",  "Kerbrat",
        "Étienne", "Bérenger", "Lefébure",  "Desmoulins", "Château", "Prévost",  "Lemoël"};
    return k;
}

const std::vector<City>& cities() {
    static const std::vector<City> k{{"Paris", "75011"},
                                     {"Lyon", "69003"},
                                     {"Marseille", "13006"},
                                     {"Toulouse", "31000"},
                                     {"Nice", "06000"},
                                     {"Nantes", "44000"},
                                     {"Strasbourg", "67000"},
                                     {"Montpellier", "34000"},
                                     {"Bordeaux", "33000"},
                                     {"Lille", "59000"},
                                     {"Rennes", "35000"},
                                     {"Reims", "51100"},
                                     {"Le Havre", "76600"},
                                     {"Saint-Étienne", "42000"},
                                     {"Toulon", "83000"},
                                     {"Grenoble", "38000"},
                                     {"Dijon", "21000"},
                                     {"Angers", "49000"},
                                     {"Nîmes", "30000"},
                                     {"Villeurbanne", "69100"},
                                     {"Clermont-Ferrand", "63000"},
                                     {"Le Mans", "72000"},
                                     {"Aix-en-Provence", "13100"},
                                     {"Brest", "29200"},
                                     {"Tours", "37000"},
                                     {"Amiens", "80000"},
                                     {"Limoges", "87000"},
                                     {"Annecy", "74000"},
                                     {"Perpignan", "66000"},
                                     {"Metz", "57000"},
                                     {"Besançon", "25000"},
                                     {"Orléans", "45000"},
                                     {"Rouen", "76000"},
                                     {"Mulhouse", "68100"},
                                     {"Caen", "14000"},
                                     {"Nancy", "54000"},
                                     {"Avignon", "84000"},
                                     {"Poitiers", "86000"},
                                     {"La Rochelle", "17000"},
                                     {"Pau", "64000"},
                                     {"Colmar", "68000"},
                                     {"Quimper", "29000"},
                                     {"Valence", "26000"},
                                     {"Troyes", "10000"},
                                     {"Chambéry", "73000"},
                                     {"Lorient", "56100"},
                                     {"Béziers", "34500"},
                                     {"Niort", "79000"},
                                     {"Ajaccio", "20000"},
                                     {"Sète", "34200"},
                                     {"Épinal", "88000"}};
    return k;
}

const std::vector<std::string>& streets() {
    static const std::vector<std::string> k{
        "rue de la République", "avenue Victor Hugo", "boulevard Gambetta",
        "rue Jean Jaurès",      "place de la Mairie", "rue des Lilas",
        "chemin des Vignes",    "allée des Tilleuls", "rue du Général de Gaulle",
        "impasse des Acacias",  "rue Pasteur",        "quai des Chartrons",
        "route de Lyon",        "rue Émile Zola",     "avenue de la Gare",
        "rue Voltaire",         "rue du Moulin",      "rue de l'Église",
        "rue des Écoles",       "rue Saint-Michel",   "boulevard des Belges",
        "rue du Château",       "cours Mirabeau",     "rue de la Paix",
        "avenue Jean Moulin",   "rue des Forgerons",  "place du Marché",
        "rue Étienne Marcel",   "chemin de la Forêt", "rue des Frères Lumière"};
    return k;
}

const std::vector<std::string>& trades() {
    static const std::vector<std::string> k{
        "Boulangerie", "Garage",     "Pharmacie", "Menuiserie", "Quincaillerie",
        "Librairie",   "Fromagerie", "Cave",      "Imprimerie", "Transports",
        "Électricité", "Plomberie",  "Boucherie", "Cabinet",    "Atelier",
        "Pâtisserie",  "Fleuriste",  "Hôtel",     "Brasserie",  "Épicerie"};
    return k;
}

const std::vector<std::string>& legalForms() {
    static const std::vector<std::string> k{"SARL", "SAS", "EURL", "SA", "SASU", "SCOP"};
    return k;
}

const std::vector<ProductFamily>& productFamilies() {
    static const std::vector<ProductFamily> k{
        {"Épicerie fine",
         {"Café moulu pur arabica", "Thé vert de Chine", "Chocolat noir 70 %",
          "Huile d'olive vierge extra", "Confiture d'abricots", "Miel de lavande",
          "Farine de blé T55", "Sel de Guérande", "Moutarde de Dijon", "Nougat de Montélimar",
          "Calissons d'Aix", "Pâté de campagne", "Rillettes du Mans", "Cassoulet de Castelnaudary"},
         1.9,
         24.5},
        {"Crèmerie",
         {"Camembert de Normandie", "Comté 18 mois", "Beurre demi-sel", "Crème fraîche épaisse",
          "Roquefort", "Reblochon fermier", "Yaourt nature", "Brie de Meaux"},
         1.2,
         19.9},
        {"Boissons",
         {"Cidre brut", "Jus de pomme artisanal", "Eau minérale gazeuse", "Sirop de menthe",
          "Vin rouge côtes-du-rhône", "Champagne brut", "Limonade à l'ancienne", "Bière blonde"},
         0.9,
         38.0},
        {"Fournitures de bureau",
         {"Ramette papier A4 80 g", "Stylo bille bleu", "Cahier grands carreaux", "Agrafeuse",
          "Classeur à levier", "Cartouche d'encre noire", "Enveloppes kraft", "Surligneur jaune",
          "Trombones", "Bloc-notes quadrillé", "Calculatrice de bureau"},
         0.5,
         89.0},
        {"Outillage",
         {"Tournevis cruciforme", "Perceuse sans fil", "Marteau de charpentier", "Clé à molette",
          "Mètre ruban 5 m", "Scie égoïne", "Niveau à bulle", "Pince multiprise",
          "Coffret de forets"},
         4.5,
         249.0},
        {"Électricité",
         {"Ampoule LED E27", "Rallonge électrique 10 m", "Multiprise parafoudre",
          "Interrupteur va-et-vient", "Gaine ICTA", "Disjoncteur 16 A", "Détecteur de fumée"},
         2.9,
         79.0},
        {"Entretien",
         {"Savon de Marseille", "Lessive liquide", "Éponge grattante", "Liquide vaisselle",
          "Vinaigre blanc", "Sacs poubelle 50 L", "Nettoyant multi-surfaces", "Balai-brosse"},
         0.8,
         15.5}};
    return k;
}

const std::vector<std::string>& productVariants() {
    static const std::vector<std::string> k{"",
                                            " – lot de 2",
                                            " – lot de 6",
                                            " – format familial",
                                            " – grand modèle",
                                            " – petit modèle",
                                            " – édition limitée",
                                            " – bio"};
    return k;
}

const std::vector<std::string>& departments() {
    static const std::vector<std::string> k{"Comptabilité",   "Ressources humaines", "Informatique",
                                            "Logistique",     "Commercial",          "Achats",
                                            "Direction",      "Production",          "Qualité",
                                            "Service client", "Juridique",           "Marketing"};
    return k;
}

const std::vector<std::string>& jobTitles() {
    static const std::vector<std::string> k{"Comptable",
                                            "Assistante de direction",
                                            "Technicien de maintenance",
                                            "Responsable achats",
                                            "Commercial sédentaire",
                                            "Chef d'équipe",
                                            "Magasinier",
                                            "Contrôleur de gestion",
                                            "Développeur",
                                            "Chargée de recrutement",
                                            "Directeur commercial",
                                            "Agent d'accueil",
                                            "Cariste",
                                            "Juriste",
                                            "Acheteuse",
                                            "Opératrice de saisie",
                                            "Responsable qualité",
                                            "Chef de projet"};
    return k;
}

const std::vector<std::string>& paymentMethods() {
    static const std::vector<std::string> k{"Virement",    "Chèque",  "Carte bancaire",
                                            "Prélèvement", "Espèces", "Traite"};
    return k;
}

const std::vector<std::string>& leaveKinds() {
    static const std::vector<std::string> k{
        "Congés payés", "RTT", "Maladie", "Formation", "Congé sans solde", "Récupération"};
    return k;
}

const std::vector<std::string>& customerNotes() {
    static const std::vector<std::string> k{
        "Client fidèle depuis l'ouverture ; préfère être contacté le matin.",
        "Demande systématiquement une facture détaillée.",
        "Livraison uniquement en semaine, accès par la cour arrière.",
        "Retard de paiement signalé en début d'année, régularisé depuis.",
        "Remise de 5 % accordée sur les commandes supérieures à 500 €.",
        "Interlocuteur : le gérant, joignable au bureau après 14 h.",
        "Commandes groupées en fin de mois.",
        "A demandé un devis pour l'agrandissement de son magasin."};
    return k;
}

}  // namespace demo
