// The trusted-proxy list, REMOTE_ADDR and X-Forwarded-For, one per line of the input (a
// missing third line is a request without the header; further lines are further values
// the web server passed under the header's name). The caller chosen must be the one a
// plain walk over the hops picks, as a canonical address, or nothing; from a trusted peer,
// several values give nothing.

#include "FuzzTarget.h"

#include "Address.h"
#include "ClientAddress.h"
#include "Response.h"
#include "Settings.h"
#include "TextSplit.h"
#include "TrustedProxies.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using fuzz::Require;

namespace {

struct Range {
    ipx::Address network;
    unsigned bits;
};

unsigned FamilyBits(const ipx::Address& address) {
    return address.family() == ipx::Address::Family::V4 ? 32U : 128U;
}

// "address" or "address/digits" with at most as many bits as the family has.
std::optional<Range> RangeFrom(std::string_view item) {
    const std::size_t slash = item.find('/');
    const auto network = ipx::Address::Parse(item.substr(0, slash));
    if (!network) return std::nullopt;
    if (slash == std::string_view::npos) return Range{*network, FamilyBits(*network)};
    const std::string_view digits = item.substr(slash + 1);
    if (digits.empty()) return std::nullopt;
    unsigned bits = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        bits = std::min(bits * 10 + static_cast<unsigned>(c - '0'), 1000U);
    }
    if (bits > FamilyBits(*network)) return std::nullopt;
    return Range{*network, bits};
}

bool Bit(std::span<const std::uint8_t> bytes, unsigned index) {
    return ((static_cast<unsigned>(bytes[index / 8]) >> (7U - index % 8U)) & 1U) != 0;
}

bool InRange(const Range& range, const ipx::Address& address) {
    if (range.network.family() != address.family()) return false;
    for (unsigned i = 0; i < range.bits; ++i) {
        if (Bit(range.network.bytes(), i) != Bit(address.bytes(), i)) return false;
    }
    return true;
}

bool Trusted(const std::vector<Range>& ranges, const ipx::Address& address) {
    return std::any_of(ranges.begin(), ranges.end(),
                       [&](const Range& range) { return InRange(range, address); });
}

bool IsListSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The list's items, split by hand to hold the library's splitting to account.
std::vector<std::string_view> ListItems(std::string_view list) {
    std::vector<std::string_view> items;
    std::size_t i = 0;
    while (i < list.size()) {
        if (IsListSeparator(list[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < list.size() && !IsListSeparator(list[end])) ++end;
        items.push_back(list.substr(i, end - i));
        i = end;
    }
    return items;
}

std::vector<std::string_view> Hops(std::string_view header) {
    std::vector<std::string_view> hops;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= header.size(); ++i) {
        if (i < header.size() && header[i] != ',') continue;
        std::string_view hop = header.substr(start, i - start);
        while (!hop.empty() && IsBlank(hop.front())) hop.remove_prefix(1);
        while (!hop.empty() && IsBlank(hop.back())) hop.remove_suffix(1);
        hops.push_back(hop);
        start = i + 1;
    }
    return hops;
}

std::optional<ipx::Address> ExpectedCaller(std::string_view remoteAddr,
                                           std::optional<std::string_view> forwardedFor,
                                           const std::vector<Range>& trusted) {
    auto caller = ipx::Address::Parse(remoteAddr);
    if (!caller || !forwardedFor || !Trusted(trusted, *caller)) return caller;
    const auto hops = Hops(*forwardedFor);
    for (auto hop = hops.rbegin(); hop != hops.rend(); ++hop) {
        caller = ipx::Address::Parse(*hop);
        if (!caller || !Trusted(trusted, *caller)) return caller;
    }
    return caller;
}

void CheckSettings(std::string_view list, bool valid) {
    // The environment hands a C string: it ends at the first NUL.
    if (list.find('\0') != std::string_view::npos) return;
    const std::string terminated(list);
    bool threw = false;
    try {
        (void)ipx::SettingsFrom(terminated.c_str(), nullptr);
    } catch (const std::runtime_error&) {
        threw = true;
    }
    Require(threw == !valid, "the settings refuse exactly the lists that do not parse");
}

void CheckAnswer(const ipx::Address& caller) {
    const std::string text = caller.Text();
    const std::string full = ipx::AnswerResponse(text, text, ipx::BodyWanted::Yes);
    const std::string head = ipx::AnswerResponse(text, text, ipx::BodyWanted::No);
    Require(head.starts_with("Status: 200 OK\r\n") && head.ends_with("\r\n\r\n"),
            "the answer's headers start with its status and end in a blank line");
    Require(full == head + text + "\n" + text + "\n",
            "the answer's body is the address twice, one per line, after the same headers");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Pieces pieces(fuzz::AsText(data, size), '\n');
    std::string_view list;
    std::string_view remoteAddr;
    std::vector<std::string_view> values;
    pieces.Next(list);
    pieces.Next(remoteAddr);
    for (std::string_view value; pieces.Next(value);) values.push_back(value);
    const std::optional<std::string_view> forwardedFor =
        values.empty() ? std::nullopt : std::optional<std::string_view>(values.front());

    const auto items = ListItems(list);
    const auto split = ipx::SplitNonEmpty(list, " \t,");
    Require(split == items, "the list splits at blanks and commas, empty items left out");

    std::vector<Range> ranges;
    std::string validItems;
    bool allValid = true;
    for (const std::string_view item : items) {
        const auto range = RangeFrom(item);
        Require(ipx::AddressRange::Parse(item).has_value() == range.has_value(),
                "a range is an address with an optional prefix length within its family");
        if (!range) {
            allValid = false;
            continue;
        }
        Require(ipx::AddressRange::Parse(item)->Contains(range->network),
                "a range holds its own network address");
        ranges.push_back(*range);
        validItems.append(item).append(",");
    }
    Require(ipx::TrustedProxies::Parse(list).has_value() == allValid,
            "a list is valid exactly when every item is a range");
    CheckSettings(list, allValid);

    const auto trusted = ipx::TrustedProxies::Parse(validItems);
    Require(trusted.has_value(), "the list of the valid items alone is valid");

    if (forwardedFor) {
        Require(ipx::SplitCommaList(*forwardedFor) == Hops(*forwardedFor),
                "the header splits at every comma, blanks trimmed, empty hops kept");
    }
    auto candidates = Hops(forwardedFor.value_or(""));
    candidates.push_back(remoteAddr);
    for (const std::string_view candidate : candidates) {
        if (const auto address = ipx::Address::Parse(candidate)) {
            Require(trusted->Contains(*address) == Trusted(ranges, *address),
                    "an address is trusted exactly when a range holds it");
        }
    }

    const auto caller = ipx::SelectClientAddress(remoteAddr, forwardedFor, *trusted);
    const auto expected = ExpectedCaller(remoteAddr, forwardedFor, ranges);
    Require(caller == expected, "the caller is the first untrusted hop from the right");
    const auto peer = ipx::Address::Parse(remoteAddr);
    const bool ambiguous = values.size() > 1 && peer && Trusted(ranges, *peer);
    Require(ipx::SelectClientAddress(remoteAddr, values, *trusted) ==
                (ambiguous ? std::nullopt : values.size() > 1 ? peer : expected),
            "several values from a trusted peer give nothing; from any other, the peer");
    if (caller) {
        const auto again = ipx::Address::Parse(caller->Text());
        Require(again && *again == *caller, "the caller is a canonical address");
        CheckAnswer(*caller);
    }
    return 0;
}
