#pragma once
// Host-name answers by caller address: recent ones, so that callers polling every minute
// do not each cost a DNS round trip, and confirmed names, kept longer for when DNS cannot
// be asked in time. Bounded: when full, the oldest entry goes first, or the new one is
// not kept. Safe to share between threads.

#include "ExpiringMap.h"

#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

namespace ipx {

class AnswerCache {
public:
    // capacity must be at least 1; an entry is good for lifetime after it was stored.
    AnswerCache(std::size_t capacity, std::chrono::steady_clock::duration lifetime, Clock now,
                WhenFull whenFull = WhenFull::DropOldest);

    std::optional<std::string> Find(const std::string& key);
    void Store(const std::string& key, std::string value);
    void Erase(const std::string& key);
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    ExpiringMap<std::string> answers_;
};

}  // namespace ipx
