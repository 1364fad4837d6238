// frame.h: the frame that carries every protocol message, and blocking frame I/O on a socket.
//
// A frame is an 8-byte header followed by the payload:
//
//   offset 0  u32  kFrameMagic ("BRV1" in memory order), refuses strangers at once
//   offset 4  u32  payload length in bytes, at most kMaxPayload
//   offset 8  ...  payload (a request or a response, see wire_format.h)
//
// All integers little-endian. A header with another magic or a larger length is malformed:
// the reader gives up on the connection without reading the payload.
#ifndef BREVANTIS_ENGINE_PROTOCOL_FRAME_H
#define BREVANTIS_ENGINE_PROTOCOL_FRAME_H

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/protocol/coding.h"

namespace engine::protocol {

constexpr uint32_t kFrameMagic = 0x31565242u;  // 'B' 'R' 'V' '1'

// The header in front of every payload.
struct FrameHeader {
    uint32_t magic = kFrameMagic;
    uint32_t length = 0;  // of the payload, in bytes
};
BREVANTIS_WIRE_FIELDS(FrameHeader, s.magic, s.length)
constexpr size_t kFrameHeaderSize = kMinWireSize<FrameHeader>;
constexpr uint32_t kMaxPayload = 64u * 1024u * 1024u;

enum class IoResult { Ok, Closed, Timeout, Malformed, Error };

// The header of a frame of `length` payload bytes, as writeFrame sends it.
std::string frameHeader(uint32_t length);

// Writes a whole frame to fd; Timeout when the peer accepts nothing for timeoutMs
// (a negative timeout waits for ever). Never raises SIGPIPE.
IoResult writeFrame(int fd, std::string_view payload, int timeoutMs);

// How a reader waits for a frame to begin. Sleeping costs a wake-up when the frame comes
// (an interrupt to another processor and a context switch, several times the work of a
// short exchange on a virtual machine), so a reader may first check without sleeping for
// `micros`: a peer that answers within it is heard at once. At most `limit` threads that
// share `spinners` check at once, so that they never take the processors their peers need.
struct SpinPolicy {
    int micros = 0;                        // 0: sleep at once
    std::atomic<int>* spinners = nullptr;  // shared count of checking threads
    int limit = 1;
};

// One thread fewer than this machine has processors, and at least one: the spinners a
// process allows itself.
int spinLimitForThisMachine();

// Reads the frames of one socket. Each read takes what the socket holds, a frame's header
// and payload together, and keeps what comes after the frame for the next read: a peer
// that sends several frames at once loses none of them. After a result other than Ok the
// reader is not to be used again (the connection is given up). Not thread-safe: one reader
// per socket, used by one thread.
class FrameReader {
  public:
    // Reads the next frame; *payload then views it, until the next read().
    // firstByteTimeoutMs bounds the wait for the frame to begin (negative: for ever), after
    // the spin; once it began, the whole frame must have come within restTimeoutMs of its
    // first byte (negative: no deadline), however its bytes trickle in. A payload longer
    // than maxPayload is Malformed from its header on. The room for a frame grows with the
    // bytes that come, so that a header announcing much costs nothing until it is sent.
    // Closed when the peer closed cleanly before a new frame; Malformed for a bad header or
    // a frame cut by the peer's close.
    IoResult read(int fd, std::string_view* payload, int firstByteTimeoutMs, int restTimeoutMs,
                  const SpinPolicy& spin = {}, uint32_t maxPayload = kMaxPayload);

    // Whether part of a frame has come and not the rest: after a Timeout, tells a frame cut
    // short from a silent peer.
    bool midFrame() const { return end_ > begin_; }

  private:
    // Reads what fd holds into the room after end_, waiting when it holds nothing: the
    // bytes of a frame to come (begun tells whether some of it came already).
    IoResult fill(int fd, bool begun, int timeoutMs, const SpinPolicy& spin);
    // Moves the bytes not yet returned to the front of the buffer.
    void moveToFront();

    std::string buffer_;  // bytes read; [begin_, end_) are not yet returned
    size_t begin_ = 0;
    size_t end_ = 0;
};

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_FRAME_H
