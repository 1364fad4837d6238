// demo_random.h: the demo data's deterministic random source.
//
// The demo must look the same on every machine and every run for a given seed, so it uses its
// own generator (splitmix64) instead of the standard distributions, whose results differ
// between library implementations.
#ifndef BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_RANDOM_H
#define BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_RANDOM_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace demo {

class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    // Next 64 raw bits.
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform integer in [lo, hi]. REQUIRES: lo <= hi.
    int64_t between(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(next() % static_cast<uint64_t>(hi - lo + 1));
    }
    // True with the given probability (0..1).
    bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }
    // One element of a non-empty list.
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(next() % items.size())];
    }

  private:
    uint64_t state_;
};

}  // namespace demo

#endif  // BREVANTIS_ENGINE_TOOLS_DEMODATA_DEMO_RANDOM_H
