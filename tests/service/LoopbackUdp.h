#pragma once
// Stand-ins for badly behaved DNS servers, on UDP sockets bound to 127.0.0.1.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace ipx::test {

class UdpSocket {
public:
    UdpSocket();  // bound to a free port on 127.0.0.1
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    int fd() const { return fd_; }
    std::uint16_t port() const;
    std::string Endpoint() const;  // "127.0.0.1:PORT"

private:
    int fd_;
};

// Passes every query on to an upstream server and its answer back, each after a delay;
// a server that answers, but slowly. The first `lost` queries it drops, as a network that
// loses packets does.
class DelayingDnsRelay {
public:
    DelayingDnsRelay(std::uint16_t upstreamPort, std::chrono::milliseconds delay,
                     int lost = 0);
    ~DelayingDnsRelay();
    DelayingDnsRelay(const DelayingDnsRelay&) = delete;
    DelayingDnsRelay& operator=(const DelayingDnsRelay&) = delete;

    std::string Endpoint() const { return listening_.Endpoint(); }

private:
    void ReceiveQueries();
    void RelayAfterDelay(std::vector<char> query, std::vector<char> clientAddress);

    UdpSocket listening_;
    std::uint16_t upstreamPort_;
    std::chrono::milliseconds delay_;
    int lost_;  // touched only by receiver_
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> relays_;  // touched only by receiver_
    std::thread receiver_;
};

}  // namespace ipx::test
