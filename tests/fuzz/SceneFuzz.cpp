// libFuzzer target: any bytes as a scene file. Parsing must fail cleanly or give a usable size.
#include "SKCoder.hpp"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    auto coder = SKCoder::parse(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!coder) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (!(coder->size.width >= 1 && coder->size.width <= 16384 && coder->size.height >= 1 && coder->size.height <= 16384))
        std::abort();
    return 0;
}
