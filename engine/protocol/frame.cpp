// frame.cpp: frame header coding and blocking frame I/O with poll() deadlines.
#include "engine/protocol/frame.h"

#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "engine/protocol/coding.h"

namespace engine::protocol {
namespace {

// Waits until fd is ready for events; false on timeout or error.
IoResult waitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        int n = ::poll(&p, 1, timeoutMs);
        if (n > 0) return IoResult::Ok;
        if (n == 0) return IoResult::Timeout;
        if (errno != EINTR) return IoResult::Error;
    }
}

// Checks fd without sleeping for up to spin.micros; true once it is readable, closed or in
// error (the read that follows tells which).
bool readableWhileSpinning(int fd, const SpinPolicy& spin) {
    if (spin.micros <= 0) return false;
    if (spin.spinners) {
        int n = spin.spinners->load();
        do {
            if (n >= spin.limit) return false;
        } while (!spin.spinners->compare_exchange_weak(n, n + 1));
    }
    auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(spin.micros);
    pollfd p{fd, POLLIN, 0};
    bool ready = false;
    do {
        int n = ::poll(&p, 1, 0);
        ready = n > 0 || (n < 0 && errno != EINTR);
        if (!ready) ::sched_yield();  // a thread with work to do on this processor goes first
    } while (!ready && std::chrono::steady_clock::now() < until);
    if (spin.spinners) spin.spinners->fetch_sub(1);
    return ready;
}

// Reads a header: the payload length, or -1 when the magic or the length is wrong.
int64_t decodeFrameHeader(std::string_view header) {
    FrameHeader h;
    if (!decodeWhole(header, &h) || h.magic != kFrameMagic || h.length > kMaxPayload) return -1;
    return h.length;
}

}  // namespace

std::string frameHeader(uint32_t length) {
    return encoded(FrameHeader{kFrameMagic, length});
}

int spinLimitForThisMachine() {
    static const int limit = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
    return limit;
}

IoResult writeFrame(int fd, std::string_view payload, int timeoutMs) {
    if (payload.size() > kMaxPayload) return IoResult::Malformed;
    // The header and the payload go out together from where they are: no frame is built.
    std::string header = frameHeader(static_cast<uint32_t>(payload.size()));
    iovec parts[2] = {{header.data(), header.size()},
                      {const_cast<char*>(payload.data()), payload.size()}};
    msghdr msg{};
    msg.msg_iov = parts;
    msg.msg_iovlen = payload.empty() ? 1 : 2;
    size_t left = header.size() + payload.size();
    while (left > 0) {
        ssize_t n = ::sendmsg(fd, &msg, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            left -= static_cast<size_t>(n);
            // Steps over what went: whole parts first, then into the part it stopped in.
            for (auto sent = static_cast<size_t>(n); sent > 0;) {
                iovec& v = msg.msg_iov[0];
                size_t step = std::min(sent, v.iov_len);
                v.iov_base = static_cast<char*>(v.iov_base) + step;
                v.iov_len -= step;
                sent -= step;
                if (v.iov_len == 0 && msg.msg_iovlen > 1) {
                    ++msg.msg_iov;
                    --msg.msg_iovlen;
                }
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno == EPIPE || errno == ECONNRESET ? IoResult::Closed : IoResult::Error;
        }
        IoResult w = waitFor(fd, POLLOUT, timeoutMs);  // the peer's buffer is full
        if (w != IoResult::Ok) return w;
    }
    return IoResult::Ok;
}

void FrameReader::moveToFront() {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
}

IoResult FrameReader::fill(int fd, bool begun, int timeoutMs, const SpinPolicy& spin) {
    bool spun = false;
    for (;;) {
        ssize_t r = ::recv(fd, buffer_.data() + end_, buffer_.size() - end_, MSG_DONTWAIT);
        if (r > 0) {
            end_ += static_cast<size_t>(r);
            return IoResult::Ok;
        }
        if (r == 0) return begun ? IoResult::Malformed : IoResult::Closed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return IoResult::Error;
        if (!spun && !begun) {
            spun = true;
            if (readableWhileSpinning(fd, spin)) continue;
        }
        IoResult w = waitFor(fd, POLLIN, timeoutMs);
        if (w != IoResult::Ok) return w;
    }
}

IoResult FrameReader::read(int fd, std::string_view* payload, int firstByteTimeoutMs,
                           int restTimeoutMs, const SpinPolicy& spin, uint32_t maxPayload) {
    // Room for a usual request and its header in one read; more is kept no longer than a
    // large frame needs it.
    constexpr size_t kRoom = 4096;
    constexpr size_t kKeptRoom = 64 * 1024;
    if (begin_ == end_ && buffer_.size() > kKeptRoom) std::string(kRoom, '\0').swap(buffer_);
    if (buffer_.size() < kRoom) buffer_.resize(kRoom);
    if (buffer_.size() - begin_ < kFrameHeaderSize) moveToFront();  // no room for a header
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline{};  // set once the frame's first byte is here
    auto restMs = [&]() -> int {
        if (restTimeoutMs < 0) return -1;
        if (deadline == Clock::time_point{})
            deadline = Clock::now() + std::chrono::milliseconds(restTimeoutMs);
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return static_cast<int>(std::max<int64_t>(left, 0));
    };
    while (end_ - begin_ < kFrameHeaderSize) {
        const bool begun = end_ > begin_;
        IoResult r = fill(fd, begun, begun ? restMs() : firstByteTimeoutMs, spin);
        if (r != IoResult::Ok) return r;
    }
    const char* header = buffer_.data() + begin_;
    int64_t length = decodeFrameHeader(std::string_view(header, kFrameHeaderSize));
    if (length < 0 || length > maxPayload) return IoResult::Malformed;
    const size_t frame = kFrameHeaderSize + static_cast<size_t>(length);
    if (buffer_.size() - begin_ < frame) moveToFront();  // the frame goes at the front
    while (end_ - begin_ < frame) {
        if (end_ == buffer_.size()) buffer_.resize(std::min(frame, 2 * buffer_.size()));
        IoResult r = fill(fd, true, restMs(), spin);
        if (r != IoResult::Ok) return r;
    }
    *payload = std::string_view(buffer_.data() + begin_ + kFrameHeaderSize, length);
    begin_ += frame;
    if (begin_ == end_) begin_ = end_ = 0;  // nothing after it: the next frame starts in front
    return IoResult::Ok;
}

}  // namespace engine::protocol
