#include "AnswerCache.h"

#include <stdexcept>

namespace ipx {

AnswerCache::AnswerCache(std::size_t capacity, std::chrono::steady_clock::duration lifetime,
                         Clock now)
    : capacity_(capacity), lifetime_(lifetime), now_(std::move(now)) {
    if (capacity_ == 0) {
        throw std::invalid_argument("answer cache needs room for at least one entry");
    }
}

std::optional<std::string> AnswerCache::Find(const std::string& key) {
    const std::lock_guard lock(mutex_);
    const auto found = byKey_.find(key);
    if (found == byKey_.end()) {
        return std::nullopt;
    }
    if (IsExpired(*found->second)) {
        Erase(found->second);
        return std::nullopt;
    }
    return found->second->value;
}

void AnswerCache::Store(const std::string& key, std::string value) {
    const std::lock_guard lock(mutex_);
    if (const auto found = byKey_.find(key); found != byKey_.end()) {
        Erase(found->second);
    }
    DropExpiredOldest();
    if (entries_.size() == capacity_) {
        Erase(entries_.begin());
    }
    entries_.push_back(Entry{key, std::move(value), now_()});
    byKey_.emplace(key, std::prev(entries_.end()));
}

std::size_t AnswerCache::size() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

bool AnswerCache::IsExpired(const Entry& entry) const {
    return now_() - entry.storedAt >= lifetime_;
}

void AnswerCache::Erase(Entries::iterator entry) {
    byKey_.erase(entry->key);
    entries_.erase(entry);
}

// Entries are kept in the order they were stored, so the expired ones are all in front.
void AnswerCache::DropExpiredOldest() {
    while (!entries_.empty() && IsExpired(entries_.front())) {
        Erase(entries_.begin());
    }
}

}  // namespace ipx
