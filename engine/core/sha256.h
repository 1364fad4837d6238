// sha256.h: SHA-256 digests, for the salted password hashes of dictionary users.
#ifndef BREVANTIS_ENGINE_CORE_SHA256_H
#define BREVANTIS_ENGINE_CORE_SHA256_H

#include <string>
#include <string_view>

namespace engine {

// The 32-byte SHA-256 digest of `data`.
std::string sha256(std::string_view data);

// Lower-case hexadecimal form of bytes.
std::string toHex(std::string_view bytes);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_SHA256_H
