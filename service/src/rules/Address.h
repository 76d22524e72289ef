#pragma once
// A caller's IP address, always held in its canonical form so that equal addresses
// compare equal and print the same.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ipx {

class Address {
public:
    enum class Family { V4, V6 };

    // Accepts only an IPv4 dotted quad or an IPv6 literal, nothing around it (no
    // brackets, port, zone or spaces). An IPv4-mapped IPv6 address becomes plain IPv4.
    static std::optional<Address> Parse(std::string_view text);
    static Address FromV4(const std::array<std::uint8_t, 4>& bytes);
    static Address FromV6(const std::array<std::uint8_t, 16>& bytes);

    Family family() const { return family_; }
    // Network byte order; 4 bytes for V4, 16 for V6.
    std::span<const std::uint8_t> bytes() const;
    std::string Text() const;

    bool operator==(const Address&) const = default;

private:
    Address(Family family, const std::array<std::uint8_t, 16>& bytes);

    Family family_;
    std::array<std::uint8_t, 16> bytes_;
};

}  // namespace ipx
