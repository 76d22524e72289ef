#include "CaresResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace ipx {

namespace {

// Two tries, of 600 ms and then 1,200 ms (c-ares doubles the wait of a retry): a server
// that never answers costs the whole budget, a lost packet 600 ms, which leaves room for
// the forward lookup; the deadline cuts off anything slower.
constexpr int kTryTimeoutMs = 600;
constexpr int kTries = 2;

char kDnsOnly[] = "b";

void ThrowOnFailure(int status, const char* what) {
    if (status != ARES_SUCCESS) {
        throw std::runtime_error(std::string(what) + ": " + ares_strerror(status));
    }
}

struct AddrinfoDeleter {
    void operator()(ares_addrinfo* info) const { ares_freeaddrinfo(info); }
};
using AddrinfoPtr = std::unique_ptr<ares_addrinfo, AddrinfoDeleter>;

struct ReverseQuery {
    bool done = false;
    ReverseAnswer answer;
};

struct ForwardQuery {
    bool done = false;
    ForwardAnswer answer;
};

// c-ares reports a reverse lookup whose every try timed out as "not found", so the count
// of timeouts tells; ProcessUntil cancels at the deadline, the other way to run out of time.
bool OutOfTime(int status, int timeouts) {
    return status != ARES_SUCCESS &&
           (timeouts > 0 || status == ARES_ETIMEOUT || status == ARES_ECANCELLED);
}

std::optional<Address> AddressOf(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        sockaddr_in v4{};
        std::memcpy(&v4, address, sizeof v4);
        std::array<std::uint8_t, 4> bytes{};
        std::memcpy(bytes.data(), &v4.sin_addr, bytes.size());
        return Address::FromV4(bytes);
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 v6{};
        std::memcpy(&v6, address, sizeof v6);
        std::array<std::uint8_t, 16> bytes{};
        std::memcpy(bytes.data(), &v6.sin6_addr, bytes.size());
        return Address::FromV6(bytes);
    }
    return std::nullopt;
}

void OnReverse(void* arg, int status, int timeouts, hostent* host) {
    auto* query = static_cast<ReverseQuery*>(arg);
    if (status == ARES_SUCCESS && host != nullptr && host->h_name != nullptr) {
        query->answer.name = host->h_name;
    }
    query->answer.timedOut = OutOfTime(status, timeouts);
    query->done = true;
}

void OnForward(void* arg, int status, int timeouts, ares_addrinfo* result) {
    const AddrinfoPtr owned(result);
    auto* query = static_cast<ForwardQuery*>(arg);
    if (status == ARES_SUCCESS && owned) {
        for (const ares_addrinfo_node* node = owned->nodes; node != nullptr; node = node->ai_next) {
            if (auto address = AddressOf(node->ai_addr)) {
                query->answer.addresses.push_back(*address);
            }
        }
    }
    query->answer.timedOut = OutOfTime(status, timeouts);
    query->done = true;
}

int MillisecondsUntil(Deadline deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace

CaresLibrary::CaresLibrary() {
    ThrowOnFailure(ares_library_init(ARES_LIB_INIT_ALL), "c-ares library");
}

CaresLibrary::~CaresLibrary() {
    ares_library_cleanup();
}

CaresResolver::CaresResolver(const std::optional<std::string>& servers) {
    ares_options options{};
    options.timeout = kTryTimeoutMs;
    options.tries = kTries;
    // No search domains: a PTR name is confirmed as it stands, never with a suffix added.
    options.domains = nullptr;
    options.ndomains = 0;
    int mask = ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_DOMAINS;
    if (servers) {
        options.lookups = kDnsOnly;
        mask |= ARES_OPT_LOOKUPS;
    }
    ThrowOnFailure(ares_init_options(&channel_, &options, mask), "DNS resolver");
    if (servers) {
        const int status = ares_set_servers_ports_csv(channel_, servers->c_str());
        if (status != ARES_SUCCESS) {
            ares_destroy(channel_);
            ThrowOnFailure(status, "IPX_DNS_SERVER");
        }
    }
}

CaresResolver::~CaresResolver() {
    ares_destroy(channel_);
}

ReverseAnswer CaresResolver::ReverseName(const Address& address, Deadline deadline) {
    ReverseQuery query;
    const int family = address.family() == Address::Family::V4 ? AF_INET : AF_INET6;
    const auto bytes = address.bytes();
    ares_gethostbyaddr(channel_, bytes.data(), static_cast<int>(bytes.size()), family,
                       OnReverse, &query);
    ProcessUntil(query.done, deadline);
    return query.answer;
}

ForwardAnswer CaresResolver::ForwardAddresses(const std::string& hostName, Deadline deadline) {
    ForwardQuery query;
    const ares_addrinfo_hints hints{};  // zeroed: any family, so both A and AAAA are asked
    ares_getaddrinfo(channel_, hostName.c_str(), nullptr, &hints, OnForward, &query);
    ProcessUntil(query.done, deadline);
    return query.answer;
}

void CaresResolver::ProcessUntil(const bool& done, Deadline deadline) {
    while (!done) {
        if (std::chrono::steady_clock::now() >= deadline) {
            // Runs the pending callbacks with ARES_ECANCELLED, which sets done.
            ares_cancel(channel_);
            return;
        }
        ProcessOnce(deadline);
    }
}

void CaresResolver::ProcessOnce(Deadline deadline) {
    ares_socket_t sockets[ARES_GETSOCK_MAXNUM];
    const int bits = ares_getsock(channel_, sockets, ARES_GETSOCK_MAXNUM);
    std::vector<pollfd> polled;
    for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
        short events = 0;
        if (ARES_GETSOCK_READABLE(bits, i)) {
            events |= POLLIN;
        }
        if (ARES_GETSOCK_WRITABLE(bits, i)) {
            events |= POLLOUT;
        }
        if (events != 0) {
            polled.push_back(pollfd{sockets[i], events, 0});
        }
    }
    const int untilDeadline = MillisecondsUntil(deadline);
    timeval limit{untilDeadline / 1000, (untilDeadline % 1000) * 1000};
    timeval wait{};
    const timeval* chosen = ares_timeout(channel_, &limit, &wait);
    const int waitMs = static_cast<int>(chosen->tv_sec * 1000 + (chosen->tv_usec + 999) / 1000);
    if (poll(polled.data(), polled.size(), waitMs) <= 0) {
        // Nothing to read: let c-ares retry or give up on the queries that timed out.
        ares_process_fd(channel_, ARES_SOCKET_BAD, ARES_SOCKET_BAD);
        return;
    }
    for (const pollfd& entry : polled) {
        const bool readable = (entry.revents & (POLLIN | POLLERR | POLLHUP)) != 0;
        const bool writable = (entry.revents & POLLOUT) != 0;
        ares_process_fd(channel_, readable ? entry.fd : ARES_SOCKET_BAD,
                        writable ? entry.fd : ARES_SOCKET_BAD);
    }
}

}  // namespace ipx
