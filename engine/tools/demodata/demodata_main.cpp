// demodata_main.cpp: command line of the demo-data builder.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/tools/demodata/demo_builder.h"

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: demodata --out DIR [--ini FILE] [--seed N] [--scale X]\n"
                 "  Writes the demo dictionaries Compta, Ventes and Personnel into DIR and an\n"
                 "  ads.ini listing them (DIR/ads.ini unless --ini is given).\n");
}

}  // namespace

int main(int argc, char** argv) {
    demo::BuildOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue) {
            options.outDir = argv[++i];
        } else if (arg == "--ini" && hasValue) {
            options.iniPath = argv[++i];
        } else if (arg == "--seed" && hasValue) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--scale" && hasValue) {
            options.scale = std::strtod(argv[++i], nullptr);
        } else {
            usage();
            return 2;
        }
    }
    if (options.outDir.empty() || !(options.scale > 0 && options.scale <= 10)) {
        usage();
        return 2;
    }
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
