// test_hooks.h: hooks that let tests make the core fail or stand still at chosen points.
// Each is set while no other thread uses the core, and cleared the same way.
#ifndef BREVANTIS_ENGINE_CORE_TEST_HOOKS_H
#define BREVANTIS_ENGINE_CORE_TEST_HOOKS_H

#include <cstdint>
#include <functional>
#include <string_view>

namespace engine {

// The next `n` writes to table and memo files succeed, then every write fails (-1 turns it
// off).
void failWritesAfter(int64_t n);

// Runs `hook` with the table's path each time an SQL statement reads a row of a stored
// table, on the statement's thread, holding the table's mutex as a reader (nullptr: none).
void setRowReadHook(std::function<void(std::string_view tablePath)> hook);

// Runs `hook` each time a memory-hard password hash is made or checked, on that thread,
// with the cost it ran at as the hash text names it ("$argon2id$v=19$m=19456,t=2,p=1")
// (nullptr: none).
void setPasswordHashHook(std::function<void(std::string_view cost)> hook);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_TEST_HOOKS_H
