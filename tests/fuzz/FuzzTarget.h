#pragma once
// What every fuzz target shares: the libFuzzer entry point and a check that stops the run
// with a message, so a broken rule is a crash both under libFuzzer and in the replays.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

// The builtins rather than std::source_location, which clang 14 lacks with libstdc++.
inline void Require(bool holds, const char* rule, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
    if (holds) return;
    std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, rule);
    std::abort();
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Cuts the input into pieces at a separator byte, so one input can carry several fields.
// A missing piece is reported as absent rather than empty, since some callers care.
class Pieces {
public:
    Pieces(std::string_view text, char separator) : rest_(text), separator_(separator) {}

    bool Next(std::string_view& piece) {
        if (done_) return false;
        const std::size_t at = rest_.find(separator_);
        if (at == std::string_view::npos) {
            piece = rest_;
            done_ = true;
        } else {
            piece = rest_.substr(0, at);
            rest_.remove_prefix(at + 1);
        }
        return true;
    }

private:
    std::string_view rest_;
    char separator_;
    bool done_ = false;
};

}  // namespace fuzz
