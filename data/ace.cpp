// ace.cpp: loading the engine library and resolving its functions at the first call.
#include "data/ace.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QFileInfo>
#include <mutex>

namespace ace {
namespace {

// The runtime's code for a library that failed to load.
constexpr unsigned kDelayLoadFailure = 0xC06D007Eu;

std::mutex gMutex;
const FunctionTable* gInstalled = nullptr;  // GUARDED_BY(gMutex)
FunctionTable gLoaded;                      // GUARDED_BY(gMutex)
bool gLoadedOk = false;                     // GUARDED_BY(gMutex)

// Resolves every function from `lib` into `table`; false when one is missing.
bool resolve(void* lib, FunctionTable& table) {
    bool ok = true;
#define BREVANTIS_ACE_RESOLVE(name)                                      \
    table.name = reinterpret_cast<decltype(&::name)>(dlsym(lib, #name)); \
    ok = ok && table.name != nullptr;
    BREVANTIS_ACE_FUNCTIONS(BREVANTIS_ACE_RESOLVE)
#undef BREVANTIS_ACE_RESOLVE
    table.EngineGetLayoutId =
        reinterpret_cast<decltype(&::EngineGetLayoutId)>(dlsym(lib, "EngineGetLayoutId"));
    table.EngineReadRow = reinterpret_cast<decltype(&::EngineReadRow)>(dlsym(lib, "EngineReadRow"));
    return ok;
}

}  // namespace

QString libraryPath() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    QString exe = n > 0 ? QString::fromLocal8Bit(buf, static_cast<int>(n)) : QString();
    return QFileInfo(exe).absolutePath() + QStringLiteral("/libengine.so");
}

const FunctionTable& api() {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gInstalled) return *gInstalled;
    if (gLoadedOk) return gLoaded;
    // The library stays loaded for the life of the process, as the engine keeps state.
    void* lib = dlopen(libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!lib || !resolve(lib, gLoaded)) throw EExternalException(kDelayLoadFailure);
    gLoadedOk = true;
    return gLoaded;
}

void installTable(const FunctionTable* table) {
    std::lock_guard<std::mutex> lock(gMutex);
    gInstalled = table;
}

}  // namespace ace

EExternalException::EExternalException(unsigned code)
    : rtl::Exception(QStringLiteral("Exception externe ") + QString::number(code, 16).toUpper()),
      code_(code) {}
