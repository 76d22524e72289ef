#pragma once
// Values by key, each forgotten a fixed time after it was last stored, so that what a
// FastCGI process remembers about its callers ages out on its own. Bounded: when full, the
// oldest entry goes first, or, for what an attacker must not flush out, the new one is
// not kept. Not locked: whoever shares one locks around it.

#include <chrono>
#include <cstddef>
#include <functional>
#include <iterator>
#include <list>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>

namespace ipx {

using Clock = std::function<std::chrono::steady_clock::time_point()>;

enum class WhenFull { DropOldest, KeepOld };

template <typename Value>
class ExpiringMap {
public:
    // capacity must be at least 1; an entry is good for lifetime after it was stored.
    ExpiringMap(std::size_t capacity, std::chrono::steady_clock::duration lifetime, Clock now,
                WhenFull whenFull = WhenFull::DropOldest)
        : capacity_(capacity), lifetime_(lifetime), now_(std::move(now)), whenFull_(whenFull) {
        if (capacity_ == 0) {
            throw std::invalid_argument("a memory needs room for at least one entry");
        }
    }

    // Null when the key was never stored or its lifetime is over; good until the next call.
    const Value* Find(const std::string& key) {
        const auto found = byKey_.find(key);
        if (found == byKey_.end()) {
            return nullptr;
        }
        if (IsExpired(*found->second)) {
            Erase(found->second);
            return nullptr;
        }
        return &found->second->value;
    }

    bool Contains(const std::string& key) { return Find(key) != nullptr; }

    // Stored again, an entry starts a new lifetime and is the newest.
    void Store(const std::string& key, Value value = {}) {
        if (const auto found = byKey_.find(key); found != byKey_.end()) {
            Erase(found->second);
        }
        DropExpiredOldest();
        if (entries_.size() == capacity_) {
            if (whenFull_ == WhenFull::KeepOld) {
                return;
            }
            Erase(entries_.begin());
        }
        entries_.push_back(Entry{key, std::move(value), now_()});
        byKey_.emplace(key, std::prev(entries_.end()));
    }

    void Erase(const std::string& key) {
        if (const auto found = byKey_.find(key); found != byKey_.end()) {
            Erase(found->second);
        }
    }

    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::string key;
        Value value;
        std::chrono::steady_clock::time_point storedAt;
    };
    using Entries = std::list<Entry>;

    bool IsExpired(const Entry& entry) const { return now_() - entry.storedAt >= lifetime_; }

    void Erase(typename Entries::iterator entry) {
        byKey_.erase(entry->key);
        entries_.erase(entry);
    }

    // Entries are kept in the order they were stored, so the expired ones are all in front.
    void DropExpiredOldest() {
        while (!entries_.empty() && IsExpired(entries_.front())) {
            Erase(entries_.begin());
        }
    }

    std::size_t capacity_;
    std::chrono::steady_clock::duration lifetime_;
    Clock now_;
    WhenFull whenFull_;
    Entries entries_;  // oldest first
    std::unordered_map<std::string, typename Entries::iterator> byKey_;
};

// Keys alone, each forgotten a fixed time after it was last stored.
using ExpiringSet = ExpiringMap<std::monostate>;

}  // namespace ipx
