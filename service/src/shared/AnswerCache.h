#pragma once
// Recent host-name answers by caller address, so that callers polling every minute do
// not each cost a DNS round trip. Bounded: when full, the oldest entry goes first. Safe to
// share between threads.

#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace ipx {

class AnswerCache {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // capacity must be at least 1; an entry is good for lifetime after it was stored.
    AnswerCache(std::size_t capacity, std::chrono::steady_clock::duration lifetime, Clock now);

    std::optional<std::string> Find(const std::string& key);
    void Store(const std::string& key, std::string value);
    std::size_t size() const;

private:
    struct Entry {
        std::string key;
        std::string value;
        std::chrono::steady_clock::time_point storedAt;
    };
    using Entries = std::list<Entry>;

    bool IsExpired(const Entry& entry) const;
    void Erase(Entries::iterator entry);
    void DropExpiredOldest();

    std::size_t capacity_;
    std::chrono::steady_clock::duration lifetime_;
    Clock now_;
    mutable std::mutex mutex_;
    Entries entries_;  // oldest first
    std::unordered_map<std::string, Entries::iterator> byKey_;
};

}  // namespace ipx
