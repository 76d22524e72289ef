// The trusted-proxy list, REMOTE_ADDR and X-Forwarded-For, one per line of the input (a
// missing third line is a request without the header; further lines are further values
// the web server passed under the header's name). The caller chosen is checked for what
// it must be, not walked out again: the peer or a hop, canonical, with only trusted hops
// to its right, and never moved by a hop forged further left.

#include "FuzzTarget.h"

#include "Address.h"
#include "ClientAddress.h"
#include "Response.h"
#include "Settings.h"
#include "TextSplit.h"
#include "TrustedProxies.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using fuzz::Require;

namespace {

// A range holds its network address, and flipping one bit of it leaves the range exactly
// when the bit lies within the prefix.
void CheckRange(std::string_view item, const ipx::AddressRange& range) {
    const std::size_t slash = item.find('/');
    const auto network = ipx::Address::Parse(item.substr(0, slash));
    Require(network && range.Contains(*network), "a range holds its own network address");
    const auto bytes = network->bytes();
    const std::size_t prefix = slash == std::string_view::npos
                                   ? bytes.size() * 8
                                   : std::stoul(std::string(item.substr(slash + 1)));
    // The first and last bits, and those either side of the prefix's end.
    for (const std::size_t bit : {std::size_t{0}, prefix - 1, prefix, bytes.size() * 8 - 1}) {
        if (bit >= bytes.size() * 8) continue;  // no such bit, as prefix - 1 of /0
        std::array<std::uint8_t, 16> flipped{};
        std::copy(bytes.begin(), bytes.end(), flipped.begin());
        flipped[bit / 8] ^= static_cast<std::uint8_t>(0x80U >> (bit % 8));
        const auto other = bytes.size() == 16 ? ipx::Address::FromV6(flipped)
                           : ipx::Address::FromV4({flipped[0], flipped[1], flipped[2], flipped[3]});
        if (other.family() != network->family()) continue;  // became IPv4-mapped
        Require(range.Contains(other) == (bit >= prefix), "the prefix length decides membership");
    }
}

void CheckSettings(std::string_view list, bool valid) {
    // The environment hands a C string: it ends at the first NUL.
    if (list.find('\0') != std::string_view::npos) return;
    bool threw = false;
    try {
        (void)ipx::SettingsFrom(std::string(list).c_str(), nullptr);
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

// What a request through trusted proxies may answer; caller is what it did answer.
void CheckHopChosen(std::string_view remoteAddr, std::string_view forwardedFor,
                    const ipx::TrustedProxies& trusted, const std::optional<ipx::Address>& caller) {
    const auto isTrusted = [&](std::string_view hop) {
        const auto address = ipx::Address::Parse(hop);
        return address && trusted.Contains(*address);
    };
    const auto hops = ipx::SplitCommaList(forwardedFor);
    // Where the caller stands: the rightmost hop that reads as it (as nothing, if no address).
    auto at = hops.end();
    while (at != hops.begin() && ipx::Address::Parse(*(at - 1)) != caller) --at;
    Require(at != hops.begin(), "from a trusted peer, the caller is one of the hops");
    Require(std::all_of(at, hops.end(), isTrusted), "every hop right of the caller is trusted");
    if (caller && trusted.Contains(*caller)) {
        Require(std::all_of(hops.begin(), hops.end(), isTrusted) &&
                    caller == ipx::Address::Parse(hops.front()),
                "a trusted hop is the caller only as the leftmost of trusted hops");
    }
    if (std::all_of(hops.begin(), hops.end(), isTrusted)) return;
    for (const std::string_view forged : {"192.0.2.66", "forged"}) {
        const std::string header = std::string(forged) + "," + std::string(forwardedFor);
        Require(ipx::SelectClientAddress(remoteAddr, header, trusted) == caller,
                "a hop forged left of an untrusted one changes nothing");
    }
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

    // A list with a bad item is refused; its good items alone still make one to walk with.
    std::string goodItems;
    bool allGood = true;
    for (const std::string_view item : ipx::SplitNonEmpty(list, " \t,")) {
        const auto range = ipx::AddressRange::Parse(item);
        allGood = allGood && range;
        if (!range) continue;
        CheckRange(item, *range);
        goodItems.append(item).append(",");
    }
    Require(ipx::TrustedProxies::Parse(list).has_value() == allGood,
            "a list is valid exactly when every item is a range");
    CheckSettings(list, allGood);
    const auto trusted = ipx::TrustedProxies::Parse(goodItems);
    Require(trusted.has_value(), "the list of the good items alone is valid");

    const auto caller = ipx::SelectClientAddress(remoteAddr, forwardedFor, *trusted);
    const auto peer = ipx::Address::Parse(remoteAddr);
    const bool peerTrusted = peer && trusted->Contains(*peer);
    if (peerTrusted && forwardedFor) {
        CheckHopChosen(remoteAddr, *forwardedFor, *trusted, caller);
    } else {
        Require(caller == peer, "the peer is the caller unless a trusted proxy forwarded for it");
    }
    if (caller) {
        const auto again = ipx::Address::Parse(caller->Text());
        Require(again == caller && again->Text() == caller->Text(),
                "the caller is canonical: read back and written again, it stays the same");
        CheckAnswer(*caller);
    }
    Require(ipx::SelectClientAddress(remoteAddr, values, *trusted) ==
                (values.size() <= 1 ? caller : peerTrusted ? std::nullopt : peer),
            "several values from a trusted peer give nothing; from any other, the peer");
    return 0;
}
