// Random event sequences over the headless core, for long runs:
//   random_sequences --sequences N --seed S [--stop]
// prints how much of the window's behaviour was reached and, per kind of
// violation, in how many sequences it showed, when first, and that first
// example shrunk. --stop ends the run at the first violation.
#include "support/sequences.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <unordered_set>

using namespace orvel::test::seq;

namespace {

struct Tally {
    std::uint64_t firstSequence = 0; // 1-based
    std::uint64_t sequences = 0;
    Sequence example;
    std::string detail;

    void count(std::uint64_t sequence, const Sequence& drawn, const std::string& what) {
        if (sequences++ == 0) {
            firstSequence = sequence;
            example = drawn;
            detail = what;
        }
    }
};

// An id with the variants (causes) it showed in, in order of first appearance.
struct Kind {
    Tally total;
    std::vector<std::pair<std::string, Tally>> variants;
};

constexpr std::size_t kShrunkVariants = 6;

} // namespace

int main(int argc, char** argv) {
    std::uint64_t count = 10000;
    std::uint64_t seed = 1;
    bool stop = false;
    bool shrink = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sequences") == 0 && i + 1 < argc) {
            count = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--stop") == 0) {
            stop = true;
        } else if (std::strcmp(argv[i], "--no-shrink") == 0) {
            shrink = false;
        } else {
            std::fprintf(stderr, "usage: %s --sequences N --seed S [--stop] [--no-shrink]\n",
                         argv[0]);
            return 2;
        }
    }

    SequenceTester tester;
    std::unordered_set<std::uint32_t> states;
    std::unordered_set<std::uint64_t> transitions;
    std::uint32_t last = 0;
    bool started = false;
    RunOptions options;
    options.onState = [&](std::uint32_t s) {
        states.insert(s);
        if (started) {
            transitions.insert((std::uint64_t{last} << 32) | s);
        }
        last = s;
        started = true;
    };
    if (stop) {
        options.stopAt = "*";
    }

    std::map<std::string, Kind> kinds;
    std::uint64_t events = 0;
    std::uint64_t done = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (; done < count; ++done) {
        started = false;
        Sequence drawn;
        const auto result = tester.generate(seed + done, drawn, options);
        events += static_cast<std::uint64_t>(result.events);
        std::set<std::string> ids;
        for (const auto& v : result.violations) {
            auto& k = kinds[idOf(v)];
            if (ids.insert(idOf(v)).second) {
                k.total.count(done + 1, drawn, v.detail);
            }
            const std::string variant = variantOf(v);
            auto it = std::find_if(k.variants.begin(), k.variants.end(),
                                   [&](const auto& p) { return p.first == variant; });
            if (it == k.variants.end()) {
                it = k.variants.insert(k.variants.end(), {variant, Tally{}});
            }
            it->second.count(done + 1, drawn, v.detail);
        }
        if (stop && !result.violations.empty()) {
            ++done;
            break;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    std::printf("sequences %llu (seed %llu), events %llu, %.1f s, %.0f sequences/s\n",
                static_cast<unsigned long long>(done), static_cast<unsigned long long>(seed),
                static_cast<unsigned long long>(events), seconds,
                static_cast<double>(done) / seconds);
    std::printf("distinct observable states %zu, distinct transitions %zu\n", states.size(),
                transitions.size());
    std::printf("violations: %zu kinds\n", kinds.size());
    for (const auto& [id, k] : kinds) {
        std::printf("\n== %s\n   in %llu sequences, first in sequence %llu\n", id.c_str(),
                    static_cast<unsigned long long>(k.total.sequences),
                    static_cast<unsigned long long>(k.total.firstSequence));
        for (std::size_t i = 0; i < k.variants.size(); ++i) {
            const auto& [variant, v] = k.variants[i];
            std::printf("-- %s\n   in %llu sequences, first in sequence %llu (seed %llu): %s\n",
                        variant.c_str(), static_cast<unsigned long long>(v.sequences),
                        static_cast<unsigned long long>(v.firstSequence),
                        static_cast<unsigned long long>(v.example.seed), v.detail.c_str());
            if (!shrink || i >= kShrunkVariants) {
                continue;
            }
            const Sequence shrunk = tester.shrink(v.example, variant);
            std::printf("   shrunk from %zu to %zu events:\n%s", v.example.events.size(),
                        shrunk.events.size(), tester.print(shrunk, variant).c_str());
        }
    }
    return kinds.empty() ? 0 : 1;
}
