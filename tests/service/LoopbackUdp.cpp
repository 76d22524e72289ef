#include "LoopbackUdp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace ipx::test {

namespace {

sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

const sockaddr* AsGeneric(const sockaddr_in& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

bool Readable(int fd, std::chrono::milliseconds wait) {
    pollfd polled{fd, POLLIN, 0};
    return poll(&polled, 1, static_cast<int>(wait.count())) == 1;
}

}  // namespace

UdpSocket::UdpSocket() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
    const sockaddr_in address = LoopbackAddress(0);
    if (fd_ < 0 || bind(fd_, AsGeneric(address), sizeof address) != 0) {
        if (fd_ >= 0) {
            close(fd_);
        }
        throw std::runtime_error("cannot bind a UDP socket on 127.0.0.1");
    }
}

UdpSocket::~UdpSocket() {
    close(fd_);
}

std::uint16_t UdpSocket::port() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

std::string UdpSocket::Endpoint() const {
    return "127.0.0.1:" + std::to_string(port());
}

DelayingDnsRelay::DelayingDnsRelay(std::uint16_t upstreamPort, std::chrono::milliseconds delay,
                                   int lost)
    : upstreamPort_(upstreamPort),
      delay_(delay),
      lost_(lost),
      receiver_([this] { ReceiveQueries(); }) {}

DelayingDnsRelay::~DelayingDnsRelay() {
    stopping_ = true;
    receiver_.join();
}

void DelayingDnsRelay::ReceiveQueries() {
    constexpr std::chrono::milliseconds kStopCheck{20};
    while (!stopping_) {
        if (!Readable(listening_.fd(), kStopCheck)) {
            continue;
        }
        std::vector<char> query(4096);
        std::vector<char> client(sizeof(sockaddr_storage));
        socklen_t clientLength = static_cast<socklen_t>(client.size());
        const ssize_t received = recvfrom(listening_.fd(), query.data(), query.size(), 0,
                                          reinterpret_cast<sockaddr*>(client.data()),
                                          &clientLength);
        if (received > 0 && lost_ > 0) {
            --lost_;
        } else if (received > 0) {
            query.resize(static_cast<std::size_t>(received));
            client.resize(clientLength);
            relays_.emplace_back(&DelayingDnsRelay::RelayAfterDelay, this, std::move(query),
                                 std::move(client));
        }
    }
    for (std::thread& relay : relays_) {
        relay.join();
    }
}

void DelayingDnsRelay::RelayAfterDelay(std::vector<char> query, std::vector<char> client) {
    std::this_thread::sleep_for(delay_);
    const UdpSocket upstream;
    const sockaddr_in server = LoopbackAddress(upstreamPort_);
    sendto(upstream.fd(), query.data(), query.size(), 0, AsGeneric(server), sizeof server);
    if (!Readable(upstream.fd(), std::chrono::milliseconds(1000))) {
        return;
    }
    std::vector<char> answer(4096);
    const ssize_t received = recv(upstream.fd(), answer.data(), answer.size(), 0);
    if (received > 0) {
        sendto(listening_.fd(), answer.data(), static_cast<std::size_t>(received), 0,
               reinterpret_cast<const sockaddr*>(client.data()),
               static_cast<socklen_t>(client.size()));
    }
}

}  // namespace ipx::test
