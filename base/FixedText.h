#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Texts of the model live in fixed zero-terminated buffers, as the file format and the
// socket record expect; longer input is cut, never overflows.
template <std::size_t N>
void CopyText(char (&dst)[N], std::string_view src)
{
    const std::size_t n = src.size() < N - 1 ? src.size() : N - 1;
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

template <std::size_t N>
std::string_view TextOf(const char (&buf)[N])
{
    return std::string_view(buf, strnlen(buf, N));
}
