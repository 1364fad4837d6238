// demodata_main.cpp: command line of the demo-data builder.
#include <getopt.h>

#include <cstdio>
#include <string>

#include "engine/base/command_line.h"
#include "engine/tools/demodata/demo_builder.h"

namespace {

// Exit status 2 with what was wrong and the usage.
int badArgument(const std::string& what) {
    std::fprintf(stderr,
                 "demodata: %s\n"
                 "usage: demodata --out DIR [--ini FILE] [--seed N] [--scale X]\n"
                 "  Writes the demo dictionaries Compta, Ventes and Personnel into DIR and an\n"
                 "  ads.ini listing them (DIR/ads.ini unless --ini is given).\n",
                 what.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    demo::BuildOptions options;
    const option longOptions[] = {
        {"out", required_argument, nullptr, 'o'},   {"ini", required_argument, nullptr, 'i'},
        {"seed", required_argument, nullptr, 's'},  {"scale", required_argument, nullptr, 'x'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;  // the messages below say what was wrong, in one place
    int code = 0;
    while ((code = getopt_long(argc, argv, ":", longOptions, nullptr)) != -1) {
        switch (code) {
            case 'o':
                options.outDir = optarg;
                break;
            case 'i':
                options.iniPath = optarg;
                break;
            case 's': {
                unsigned long long seed = 0;
                if (!engine::parseWholeArgument(optarg, 0, ~0ull, &seed))
                    return badArgument(std::string("bad value '") + optarg +
                                       "' for --seed: expected a whole number");
                options.seed = seed;
                break;
            }
            case 'x':
                if (!engine::parseDecimalArgument(optarg, 0, 10, &options.scale))
                    return badArgument(std::string("bad value '") + optarg +
                                       "' for --scale: expected a number above 0, at most 10");
                break;
            case ':':
                return badArgument(std::string(argv[optind - 1]) + " needs a value");
            default:
                return badArgument(std::string("unknown argument ") + argv[optind - 1]);
        }
    }
    if (optind < argc) return badArgument(std::string("unexpected argument ") + argv[optind]);
    if (options.outDir.empty()) return badArgument("--out is required");
    demo::BuildSummary summary;
    std::string error;
    if (!demo::buildDemo(options, &summary, &error)) {
        std::fprintf(stderr, "demodata: %s\n", error.c_str());
        return 1;
    }
    for (const auto& p : summary.dictionaryPaths) std::printf("%s\n", p.c_str());
    std::fprintf(stderr, "demodata: %zu dictionaries, %zu tables, %zu rows\n",
                 summary.dictionaryPaths.size(), summary.tables, summary.rows);
    return 0;
}
