// cli_options.cpp: parsing the arguments and resolving the dictionaries.
#include "monitor/cli/cli_options.h"

#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "dictionary/alias_config.h"
#include "dictionary/table_list.h"
#include "rtl/ini_file.h"

namespace monitor::cli {
namespace {

const QString kDatabases = QStringLiteral("Databases");

}  // namespace

std::optional<CliOptions> parseArguments(const QStringList& arguments,
                                         const std::function<QString(const char*)>& environment,
                                         QString& error) {
    CliOptions o;
    o.credentials.user = environment(kUserVariable);
    o.credentials.password = environment(kPasswordVariable);
    if (o.credentials.user.isEmpty()) o.credentials.user = dictionary::kAdministrator;
    if (o.credentials.password.isEmpty())
        o.credentials.password = dictionary::kAdministratorPassword;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 < arguments.size()) return arguments[++i];
            error = QStringLiteral("L'option %1 attend une valeur.").arg(arg);
            return std::nullopt;
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.help = true;
        } else if (arg == QLatin1String("--suivre")) {
            o.follow = true;
        } else if (arg == QLatin1String("--sans-historique")) {
            o.recordHistory = false;
        } else if (arg == QLatin1String("--historique") || arg == QLatin1String("--depuis") ||
                   arg == QLatin1String("--filtre")) {
            const auto v = value();
            if (!v) return std::nullopt;
            (arg == QLatin1String("--depuis")   ? o.since
             : arg == QLatin1String("--filtre") ? o.filter
                                                : o.historyLocation) = *v;
        } else if (arg == QLatin1String("--format")) {
            const auto v = value();
            if (!v) return std::nullopt;
            if (*v == QLatin1String("table"))
                o.format = OutputFormat::Table;
            else if (*v == QLatin1String("csv"))
                o.format = OutputFormat::Csv;
            else if (*v == QLatin1String("json"))
                o.format = OutputFormat::Json;
            else {
                error = QStringLiteral("Format inconnu : %1 (table, csv ou json).").arg(*v);
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--intervalle")) {
            const auto v = value();
            if (!v) return std::nullopt;
            bool ok = false;
            o.intervalSeconds = v->toInt(&ok);
            if (!ok || o.intervalSeconds < 1) {
                error = QStringLiteral(
                            "Intervalle invalide : %1 (un nombre entier de secondes, "
                            "au moins 1).")
                            .arg(*v);
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--ini")) {
            const auto v = value();
            if (!v) return std::nullopt;
            o.iniFile = *v;
        } else if (arg == QLatin1String("--utilisateur")) {
            const auto v = value();
            if (!v) return std::nullopt;
            o.credentials.user = *v;
        } else if (arg == QLatin1String("--mot-de-passe")) {
            const auto v = value();
            if (!v) return std::nullopt;
            o.credentials.password = *v;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            error = QStringLiteral("Option inconnue : %1 (voir --help).").arg(arg);
            return std::nullopt;
        } else if (arg == QLatin1String("historique") && o.dictionaries.isEmpty() &&
                   !o.showHistory) {
            o.showHistory = true;
        } else {
            o.dictionaries << arg;
        }
    }
    for (const auto& [option, given] : {std::pair{"--depuis", !o.since.isEmpty()},
                                        std::pair{"--filtre", !o.filter.isEmpty()}}) {
        if (given && !o.showHistory) {
            error = QStringLiteral("L'option %1 ne sert qu'avec la commande historique.")
                        .arg(QLatin1String(option));
            return std::nullopt;
        }
    }
    return o;
}

QString helpText() {
    return QStringLiteral(
        "Usage : brevantis-locks [OPTIONS] [DICTIONNAIRE...]\n"
        "        brevantis-locks historique [--depuis DURÉE|DATE] [--filtre TEXTE]\n"
        "                        [--format table|csv|json] [--historique FICHIER|URL]\n"
        "\n"
        "Affiche les locks d'enregistrements détenus sur les tables des dictionnaires : un\n"
        "propriétaire de lock par ligne, avec les colonnes de la fenêtre « Surveillance des\n"
        "locks ». DICTIONNAIRE est un alias de la section [Databases] de ads.ini ou le chemin\n"
        "d'un dictionnaire (.add). Sans DICTIONNAIRE : tous les alias de ads.ini.\n"
        "\n"
        "Options :\n"
        "  --format table|csv|json  format de sortie (table par défaut) ; csv : UTF-8 avec\n"
        "                           BOM, séparateur « ; » ; sans effet avec --suivre\n"
        "  --ini FICHIER            lire les alias dans FICHIER au lieu du ads.ini placé à côté\n"
        "                           du programme\n"
        "  --suivre                 surveiller sans fin : une ligne par lock qui apparaît\n"
        "                           (« pris ») et par lock libéré (« libéré », avec sa durée),\n"
        "                           colonnes séparées par des tabulations, jusqu'à Ctrl+C\n"
        "  --intervalle S           secondes entre deux lectures avec --suivre (5 par défaut)\n"
        "  --sans-historique        avec --suivre, ne rien enregistrer dans l'historique des\n"
        "                           locks (enregistré par défaut, comme dans la fenêtre)\n"
        "  --historique FICHIER|URL l'historique des locks à utiliser : un fichier SQLite ou\n"
        "                           postgresql://utilisateur@hôte/base (par défaut : celui\n"
        "                           réglé pour la fenêtre, sinon le fichier local)\n"
        "  --utilisateur NOM        utilisateur de connexion (administrateur par défaut)\n"
        "  --mot-de-passe MOT       mot de passe de connexion\n"
        "  -h, --help               afficher cette aide\n"
        "\n"
        "Commande historique : affiche les épisodes de lock (qui a tenu quel enregistrement,\n"
        "de quand à quand), les plus longs d'abord.\n"
        "  --depuis DURÉE|DATE      1h, 24h (par défaut), 7j ou une date AAAA-MM-JJ ou\n"
        "                           JJ/MM/AAAA\n"
        "  --filtre TEXTE           seulement les épisodes dont l'utilisateur, le login OS,\n"
        "                           l'application ou la table contient TEXTE, sans tenir\n"
        "                           compte des majuscules (comme le filtre de la fenêtre)\n"
        "  --format table|csv|json  format de sortie (table par défaut)\n"
        "  Code de sortie : 0 s'il y a des épisodes, 1 s'il n'y en a aucun, 2 en cas d'erreur.\n"
        "\n"
        "Environnement : BREVANTIS_UTILISATEUR et BREVANTIS_MOT_DE_PASSE donnent l'utilisateur\n"
        "et le mot de passe quand les options ne les donnent pas.\n"
        "\n"
        "Code de sortie : 0 s'il y a des locks, 1 s'il n'y en a aucun, 2 en cas d'erreur\n"
        "(message sur la sortie d'erreur).\n");
}

std::optional<std::vector<WatchedDictionary>> resolveDictionaries(const CliOptions& options,
                                                                  const QString& iniFile,
                                                                  QString& error) {
    // The "Databases" entries as key and value, in file order.
    std::vector<std::pair<QString, QString>> entries;
    const bool haveIni = QFileInfo(iniFile).isFile();
    if (haveIni) {
        const rtl::IniFile ini(iniFile);
        for (const QString& key : ini.sectionKeys(kDatabases))
            entries.emplace_back(key, ini.readString(kDatabases, key, QString()));
    }
    auto watched = [](const std::pair<QString, QString>& entry) {
        return WatchedDictionary{entry.first, dictionary::dictionaryPathOf(entry.second)};
    };

    std::vector<WatchedDictionary> out;
    if (options.dictionaries.isEmpty()) {
        for (const auto& entry : entries)
            if (dictionary::isAliasOffered(entry.first)) out.push_back(watched(entry));
        if (out.empty()) {
            error = haveIni ? QStringLiteral("Aucun dictionnaire dans %1.").arg(iniFile)
                            : QStringLiteral(
                                  "Fichier introuvable : %1 (donnez un dictionnaire "
                                  "ou --ini FICHIER).")
                                  .arg(iniFile);
            return std::nullopt;
        }
        return out;
    }
    for (const QString& name : options.dictionaries) {
        const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
            return e.first.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (entry != entries.end()) {
            out.push_back(watched(*entry));
        } else if (QFileInfo(name).isFile()) {
            out.push_back({name, name});
        } else {
            error = QStringLiteral(
                        "Dictionnaire inconnu : %1 (ni alias de %2, ni fichier de "
                        "dictionnaire).")
                        .arg(name, iniFile);
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace monitor::cli
