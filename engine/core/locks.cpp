// locks.cpp: the record lock table.
#include "engine/core/locks.h"

#include <algorithm>
#include <cstring>

#include "engine/include/engine_api.h"
#include "engine/record/record_text.h"

namespace engine {

namespace {

// Eight bytes with their ASCII lower-case letters made upper-case. The high bit of each
// byte of aboveA and aboveZ tells whether its low seven bits reach 'a' and pass 'z'.
uint64_t upperAsciiWord(uint64_t w) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t low7 = w & (0x7F * kOnes);
    const uint64_t aboveA = low7 + (0x80 - 'a') * kOnes;
    const uint64_t aboveZ = low7 + (0x80 - 'z' - 1) * kOnes;
    const uint64_t lower = aboveA & ~aboveZ & ~w & (0x80 * kOnes);
    return w ^ (lower >> 2);  // 0x80 >> 2 is the case bit, 0x20
}

}  // namespace

size_t LockTable::NoCaseHash::operator()(std::string_view name) const {
    // Paths are long: they are hashed eight upper-cased bytes at a time.
    uint64_t h = 14695981039346656037ull ^ name.size();
    auto mix = [&h](uint64_t w) { h = (h ^ upperAsciiWord(w)) * 1099511628211ull; };
    size_t i = 0;
    for (uint64_t w; i + 8 <= name.size(); i += 8) {
        std::memcpy(&w, name.data() + i, 8);
        mix(w);
    }
    if (i < name.size()) {
        uint64_t w = 0;
        std::memcpy(&w, name.data() + i, name.size() - i);
        mix(w);
    }
    return static_cast<size_t>(h ^ (h >> 32));
}

bool LockTable::NoCaseEqual::operator()(std::string_view a, std::string_view b) const {
    return record::equalsNoCase(a, b);
}

Status LockTable::lock(const std::string& file, uint32_t recno, uint32_t connection) {
    MutexLock guard(mu_);
    auto [f, newFile] = byFile_.try_emplace(file);
    if (newFile) byNameNoCase_[file].push_back(file);
    auto [it, inserted] = f->second.emplace(recno, connection);
    if (!inserted && it->second != connection)
        return Status::error(AE_RECORD_LOCKED, "The record " + std::to_string(recno) +
                                                   " is locked by another connection.");
    return Status::success();
}

void LockTable::unlock(const std::string& file, uint32_t recno, uint32_t connection) {
    MutexLock lock(mu_);
    auto f = byFile_.find(file);
    if (f == byFile_.end()) return;
    auto it = f->second.find(recno);
    if (it != f->second.end() && it->second == connection) f->second.erase(it);
    if (f->second.empty()) forget(f);
}

void LockTable::releaseFile(const std::string& file, uint32_t connection) {
    MutexLock lock(mu_);
    auto f = byFile_.find(file);
    if (f == byFile_.end()) return;
    std::erase_if(f->second, [&](const auto& e) { return e.second == connection; });
    if (f->second.empty()) forget(f);
}

void LockTable::releaseAll(uint32_t connection) {
    MutexLock lock(mu_);
    for (auto f = byFile_.begin(); f != byFile_.end();) {
        std::erase_if(f->second, [&](const auto& e) { return e.second == connection; });
        auto next = std::next(f);
        if (f->second.empty()) forget(f);
        f = next;
    }
}

bool LockTable::lockedByOther(const std::string& file, uint32_t recno, uint32_t connection) const {
    MutexLock lock(mu_);
    uint32_t o = ownerLocked(file, recno);
    return o != 0 && o != connection;
}

std::vector<std::string> LockTable::filesNamedNoCase(std::string_view file) const {
    MutexLock lock(mu_);
    auto it = byNameNoCase_.find(file);
    return it == byNameNoCase_.end() ? std::vector<std::string>() : it->second;
}

void LockTable::forget(Files::iterator file) {
    auto named = byNameNoCase_.find(file->first);
    std::erase(named->second, file->first);
    if (named->second.empty()) byNameNoCase_.erase(named);
    byFile_.erase(file);
}

std::vector<uint32_t> LockTable::records(const std::vector<std::string>& files) const {
    MutexLock lock(mu_);
    // Each file's numbers come ascending from its map: one file's are the answer as they
    // are, and further files' are merged in.
    std::vector<uint32_t> out;
    for (const std::string& file : files) {
        auto f = byFile_.find(file);
        if (f == byFile_.end()) continue;
        const size_t before = out.size();
        out.reserve(before + f->second.size());
        for (const auto& [recno, owner] : f->second) out.push_back(recno);
        if (before == 0) continue;
        std::inplace_merge(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(before),
                           out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
    return out;
}

uint32_t LockTable::owner(const std::string& file, uint32_t recno) const {
    MutexLock lock(mu_);
    return ownerLocked(file, recno);
}

uint32_t LockTable::ownerLocked(const std::string& file, uint32_t recno) const {
    auto f = byFile_.find(file);
    if (f == byFile_.end()) return 0;
    auto it = f->second.find(recno);
    return it == f->second.end() ? 0 : it->second;
}

}  // namespace engine
