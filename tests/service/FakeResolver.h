#pragma once
// A resolver that answers from tables, and counts what it was asked.

#include "Resolver.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ipx::test {

class FakeResolver final : public Resolver {
public:
    std::map<std::string, std::string> reverse;                // address text -> PTR name
    std::map<std::string, std::vector<std::string>> forward;  // name -> address texts
    std::set<std::string> silent;  // address texts and names whose lookups time out
    // Called in the middle of every reverse lookup: what happens while one runs.
    std::function<void(const Address&)> duringReverse;
    int reverseQueries = 0;
    std::vector<std::string> forwardQueries;
    std::vector<Deadline> deadlines;

    ReverseAnswer ReverseName(const Address& address, Deadline deadline) override {
        ++reverseQueries;
        deadlines.push_back(deadline);
        if (duringReverse) {
            duringReverse(address);
        }
        if (silent.contains(address.Text())) {
            return ReverseAnswer{std::nullopt, true};
        }
        const auto found = reverse.find(address.Text());
        if (found == reverse.end()) {
            return {};
        }
        return ReverseAnswer{found->second};
    }

    ForwardAnswer ForwardAddresses(const std::string& hostName, Deadline deadline) override {
        forwardQueries.push_back(hostName);
        deadlines.push_back(deadline);
        if (silent.contains(hostName)) {
            return ForwardAnswer{{}, true};
        }
        ForwardAnswer answer;
        for (const std::string& text : forward[hostName]) {
            answer.addresses.push_back(*Address::Parse(text));
        }
        return answer;
    }
};

}  // namespace ipx::test
