#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// Writes 16-bit mono PCM as a WAV file; false when it cannot be written.
inline bool writeWav(const std::string& path, const std::vector<std::int16_t>& pcm, std::uint32_t rate)
{
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    std::uint32_t bytes = std::uint32_t(pcm.size() * 2);
    out << "RIFF";
    u32(36 + bytes);
    out << "WAVEfmt ";
    u32(16), u16(1), u16(1), u32(rate), u32(rate * 2), u16(2), u16(16);
    out << "data";
    u32(bytes);
    out.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(bytes));
    return bool(out);
}
