#include "AnswerCache.h"

#include <utility>

namespace ipx {

AnswerCache::AnswerCache(std::size_t capacity, std::chrono::steady_clock::duration lifetime,
                         Clock now, WhenFull whenFull)
    : answers_(capacity, lifetime, std::move(now), whenFull) {}

std::optional<std::string> AnswerCache::Find(const std::string& key) {
    const std::lock_guard lock(mutex_);
    if (const std::string* answer = answers_.Find(key)) {
        return *answer;
    }
    return std::nullopt;
}

void AnswerCache::Store(const std::string& key, std::string value) {
    const std::lock_guard lock(mutex_);
    answers_.Store(key, std::move(value));
}

void AnswerCache::Erase(const std::string& key) {
    const std::lock_guard lock(mutex_);
    answers_.Erase(key);
}

std::size_t AnswerCache::size() const {
    const std::lock_guard lock(mutex_);
    return answers_.size();
}

}  // namespace ipx
