#include "link/PipeMessage.h"

#include <bit>
#include <cstring>

namespace {

void PutU32(PipeBytes& out, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const PipeBytes& in, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return value;
}

} // namespace

PipeBytes EncodePipeMessage(const PipeMessage& message)
{
    PipeBytes out{};
    PutU32(out, 0, static_cast<std::uint32_t>(message.code));
    const float params[6] = {message.param1, message.param2, message.param3,
                             message.param4, message.param5, message.param6};
    for (std::size_t i = 0; i < 6; ++i)
        PutU32(out, 4 + 4 * i, std::bit_cast<std::uint32_t>(params[i]));
    PutU32(out, 28, static_cast<std::uint32_t>(message.intParam));
    std::memcpy(out.data() + 32, message.text, sizeof message.text);
    return out;
}

PipeMessage DecodePipeMessage(const PipeBytes& bytes)
{
    PipeMessage message;
    message.code = static_cast<std::int32_t>(GetU32(bytes, 0));
    float* params[6] = {&message.param1, &message.param2, &message.param3,
                        &message.param4, &message.param5, &message.param6};
    for (std::size_t i = 0; i < 6; ++i)
        *params[i] = std::bit_cast<float>(GetU32(bytes, 4 + 4 * i));
    message.intParam = static_cast<std::int32_t>(GetU32(bytes, 28));
    std::memcpy(message.text, bytes.data() + 32, sizeof message.text - 1);
    message.text[sizeof message.text - 1] = '\0';
    return message;
}

void SetPipeText(PipeMessage& message, const char* text)
{
    const std::size_t n = strnlen(text, sizeof message.text - 1);
    std::memset(message.text, 0, sizeof message.text);
    std::memcpy(message.text, text, n);
}
