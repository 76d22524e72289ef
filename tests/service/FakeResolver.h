#pragma once
// A resolver that answers from tables, and counts what it was asked.

#include "Resolver.h"

#include <map>
#include <string>
#include <vector>

namespace ipx::test {

class FakeResolver final : public Resolver {
public:
    std::map<std::string, std::string> reverse;                // address text -> PTR name
    std::map<std::string, std::vector<std::string>> forward;  // name -> address texts
    int reverseQueries = 0;
    std::vector<std::string> forwardQueries;
    std::vector<Deadline> deadlines;

    std::optional<std::string> ReverseName(const Address& address, Deadline deadline) override {
        ++reverseQueries;
        deadlines.push_back(deadline);
        const auto found = reverse.find(address.Text());
        if (found == reverse.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    std::vector<Address> ForwardAddresses(const std::string& hostName,
                                          Deadline deadline) override {
        forwardQueries.push_back(hostName);
        deadlines.push_back(deadline);
        std::vector<Address> addresses;
        for (const std::string& text : forward[hostName]) {
            addresses.push_back(*Address::Parse(text));
        }
        return addresses;
    }
};

}  // namespace ipx::test
