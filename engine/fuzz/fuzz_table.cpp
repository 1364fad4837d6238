// fuzz_table.cpp: any bytes found in a table file and its memo file must load as a table
// whose columns all lie inside its records, or be refused with a status — never a crash
// or a read outside what was loaded.
//
// Input: a u16 (little-endian) length n, then n bytes of the .adt file, then the .adm file.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/cursor.h"
#include "engine/core/table.h"
#include "engine/record/record.h"

using namespace engine;

namespace {

// A folder of this process's own for the two files, made once.
const std::string& folder() {
    static const std::string dir = [] {
        std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/fuzz_table_XXXXXX");
        if (!::mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return dir;
}

void write(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t split = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
    const std::string table = folder() + "/T.adt";
    write(table, data + 2, split);
    write(folder() + "/T.adm", data + 2 + split, size - 2 - split);

    std::shared_ptr<Table> t;
    FileDescriptor dir(::open(folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!Table::load(FolderFile{dir.get(), "T.adt", table}, false, &t).ok()) return 0;
    for (const ColumnDef& c : t->columns())
        if (static_cast<uint64_t>(c.offset) + record::storageSize(c) > t->recordLength())
            __builtin_trap();
    for (uint32_t recno = 1; recno <= t->recordCount(); ++recno) {
        const Record& r = t->record(recno);
        if (r.image.size() != t->recordLength()) __builtin_trap();
        Position p;
        describeRecord(*t, recno, &p);
        const auto* image = reinterpret_cast<const uint8_t*>(r.image.data());
        for (const ColumnDef& c : t->columns())
            if (!record::isBlobType(c.type)) (void)record::decodeValue(c, image);
    }
    return 0;
}
