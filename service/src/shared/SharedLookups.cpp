#include "SharedLookups.h"

#include <utility>

namespace ipx {

SharedLookups::Turn::Turn(SharedLookups& lookups, std::string key,
                          std::shared_ptr<Lookup> lookup, bool leads)
    : lookups_(lookups), key_(std::move(key)), lookup_(std::move(lookup)), leads_(leads) {}

SharedLookups::Turn::~Turn() {
    if (leads_) {
        lookups_.End(key_, *lookup_, std::nullopt);
    }
}

void SharedLookups::Turn::Publish(std::string line) {
    lookups_.End(key_, *lookup_, std::move(line));
}

std::optional<std::string> SharedLookups::Turn::Wait(
    std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(lookups_.mutex_);
    lookups_.ended_.wait_until(lock, deadline, [this] { return lookup_->ended; });
    return lookup_->line;
}

SharedLookups::Turn SharedLookups::Join(const std::string& key) {
    const std::lock_guard lock(mutex_);
    auto [running, added] = running_.try_emplace(key);
    if (added) {
        running->second = std::make_shared<Lookup>();
    }
    return Turn(*this, key, running->second, added);
}

void SharedLookups::End(const std::string& key, Lookup& lookup, std::optional<std::string> line) {
    {
        const std::lock_guard lock(mutex_);
        if (lookup.ended) {
            return;
        }
        lookup.line = std::move(line);
        lookup.ended = true;
        running_.erase(key);
    }
    ended_.notify_all();
}

}  // namespace ipx
