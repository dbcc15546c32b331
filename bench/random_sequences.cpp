// Random event sequences over the headless core, for long runs:
//   random_sequences --sequences N --seed S [--stop]
// prints how much of the window's behaviour was reached and, per kind of
// violation, in how many sequences it showed, when first, and that first
// example shrunk. --stop ends the run at the first violation.
#include "support/sequences.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unordered_set>

using namespace orvel::test::seq;

namespace {

struct Kind {
    std::uint64_t firstSequence = 0; // 1-based
    std::uint64_t sequences = 0;
    Sequence example;
    std::string detail;
};

} // namespace

int main(int argc, char** argv) {
    std::uint64_t count = 10000;
    std::uint64_t seed = 1;
    bool stop = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sequences") == 0 && i + 1 < argc) {
            count = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--stop") == 0) {
            stop = true;
        } else {
            std::fprintf(stderr, "usage: %s --sequences N --seed S [--stop]\n", argv[0]);
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
        for (const auto& v : result.violations) {
            auto& k = kinds[idOf(v)];
            if (k.sequences++ == 0) {
                k.firstSequence = done + 1;
                k.example = drawn;
                k.detail = v.detail;
            }
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
        std::printf("\n== %s\n   in %llu sequences, first in sequence %llu (seed %llu): %s\n",
                    id.c_str(), static_cast<unsigned long long>(k.sequences),
                    static_cast<unsigned long long>(k.firstSequence),
                    static_cast<unsigned long long>(k.example.seed), k.detail.c_str());
        const Sequence shrunk = tester.shrink(k.example, id);
        std::printf("   shrunk from %zu to %zu events:\n%s", k.example.events.size(),
                    shrunk.events.size(), tester.print(shrunk, id).c_str());
    }
    return kinds.empty() ? 0 : 1;
}
