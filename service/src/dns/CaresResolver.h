#pragma once
// The real resolver: c-ares, so that every wait is bounded by the caller's deadline
// whatever the DNS servers do, and so that tests can point it at their own server.

#include "Resolver.h"

#include <ares.h>

#include <optional>
#include <string>

namespace ipx {

class CaresLibrary {
public:
    CaresLibrary();
    ~CaresLibrary();
    CaresLibrary(const CaresLibrary&) = delete;
    CaresLibrary& operator=(const CaresLibrary&) = delete;
};

class CaresResolver final : public Resolver {
public:
    // servers: as ares_set_servers_ports_csv takes them ("127.0.0.1:5353,[::1]:53");
    // then only those are asked and /etc/hosts is not read. Nothing: the system's
    // /etc/resolv.conf and /etc/hosts. Throws std::runtime_error when unusable.
    explicit CaresResolver(const std::optional<std::string>& servers);
    ~CaresResolver() override;
    CaresResolver(const CaresResolver&) = delete;
    CaresResolver& operator=(const CaresResolver&) = delete;

    ReverseAnswer ReverseName(const Address& address, Deadline deadline) override;
    ForwardAnswer ForwardAddresses(const std::string& hostName, Deadline deadline) override;

private:
    void ProcessUntil(const bool& done, Deadline deadline);
    void ProcessOnce(Deadline deadline);

    CaresLibrary library_;
    ares_channel channel_ = nullptr;
};

}  // namespace ipx
