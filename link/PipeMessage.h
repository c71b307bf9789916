#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The record of both sockets to the instrument: 288 bytes, little-endian, no gaps.
// A request carries the command in `code`, a reply its status.
struct PipeMessage
{
    std::int32_t code = 0;
    float param1 = 0.0f;
    float param2 = 0.0f;
    float param3 = 0.0f;
    float param4 = 0.0f;
    float param5 = 0.0f;
    float param6 = 0.0f;
    std::int32_t intParam = 0;
    char text[256] = {};
};

inline constexpr std::size_t kPipeMessageSize = 288;

// The in-memory record matches the wire layout, so nothing is ever read or written
// past the 288 bytes of either.
static_assert(sizeof(PipeMessage) == kPipeMessageSize);
static_assert(offsetof(PipeMessage, code) == 0);
static_assert(offsetof(PipeMessage, param1) == 4);
static_assert(offsetof(PipeMessage, param6) == 24);
static_assert(offsetof(PipeMessage, intParam) == 28);
static_assert(offsetof(PipeMessage, text) == 32);

using PipeBytes = std::array<std::uint8_t, kPipeMessageSize>;

// Command codes of the remote command socket.
enum PipeCommand : std::int32_t
{
    kNewImage = 1,
    kLoadImage = 2,
    kSaveImage = 3,
    kNewPoint = 4,
    kCheckPipe = 5,
    kCollecting = 6,
    kEndCollect = 7,
    kMeasurementParameters = 8,
    kBackgroundParameters = 9,
};

// Message codes the program sends on the target socket.
enum TargetCommand : std::int32_t
{
    kTargetListStart = 17,
    kTarget = 18,
    kStartCollecting = 20,
};

// Offsets of the three job texts of a start-collecting message inside `text`.
inline constexpr std::size_t kJobNameOffset = 0;
inline constexpr std::size_t kJobTitleOffset = 80;
inline constexpr std::size_t kJobSampleOffset = 160;
inline constexpr std::size_t kJobFieldSize = 80;

PipeBytes EncodePipeMessage(const PipeMessage& message);

// The record of 288 bytes. A text without a NUL is taken as its first 255 characters.
PipeMessage DecodePipeMessage(const PipeBytes& bytes);

// Sets `text` from a string, cut to 255 characters.
void SetPipeText(PipeMessage& message, const char* text);
