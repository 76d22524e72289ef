#pragma once
// The lookups running, by caller address, so that callers behind one address who ask at
// once (a NAT, an office after a network change) share one lookup instead of each
// needing a lookup of its own while the first is still running. Safe to share between
// threads; keeps nothing once a lookup has ended.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace ipx {

class SharedLookups {
    struct Lookup;

public:
    // A caller's part in the lookup of its address: the lead, who looks up, or one who
    // waits for the lead's line.
    class Turn {
    public:
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;
        // A lead that ends without a line lets its waiting callers go with none.
        ~Turn();

        bool Leads() const { return leads_; }
        // The lead's line, for every caller waiting for it.
        void Publish(std::string line);
        // The lead's line, or nothing when the lead ended without one or by the deadline.
        std::optional<std::string> Wait(std::chrono::steady_clock::time_point deadline);

    private:
        friend class SharedLookups;
        Turn(SharedLookups& lookups, std::string key, std::shared_ptr<Lookup> lookup, bool leads);

        SharedLookups& lookups_;
        std::string key_;
        std::shared_ptr<Lookup> lookup_;
        bool leads_;
    };

    // The lead when no lookup of key runs; otherwise a part in the one that does.
    Turn Join(const std::string& key);

private:
    struct Lookup {
        std::optional<std::string> line;
        bool ended = false;
    };

    void End(const std::string& key, Lookup& lookup, std::optional<std::string> line);

    std::mutex mutex_;
    std::condition_variable ended_;
    std::unordered_map<std::string, std::shared_ptr<Lookup>> running_;
};

}  // namespace ipx
