// A stand-in for the Vulkan loader, built as a module of its own and given to SDL in place of
// the real one. SDL 2.26 makes every Wayland window an OpenGL one, loading a whole GL stack (some
// 50 MB resident without a GPU) for frames that are shared memory, unless the window is meant for
// Vulkan; all it asks the loader first is whether the two surface extensions are there. This
// answers that question and nothing else: the game never makes a Vulkan surface.
#include <cstdint>
#include <cstring>

namespace {

constexpr int success = 0, incomplete = 5;

struct ExtensionProperties {
    char extensionName[256];
    std::uint32_t specVersion;
};

const char* const extensions[] = {"VK_KHR_surface", "VK_KHR_wayland_surface"};
constexpr std::uint32_t extensionCount = 2;

int enumerateInstanceExtensionProperties(const char* /*layer*/, std::uint32_t* count, ExtensionProperties* properties)
{
    if (!properties) {
        *count = extensionCount;
        return success;
    }
    std::uint32_t written = *count < extensionCount ? *count : extensionCount;
    for (std::uint32_t i = 0; i < written; ++i) {
        ExtensionProperties& p = properties[i];
        p = {};
        for (int c = 0; extensions[i][c]; ++c) p.extensionName[c] = extensions[i][c];
        p.specVersion = 1;
    }
    *count = written;
    return written < extensionCount ? incomplete : success;
}

} // namespace

extern "C" __attribute__((visibility("default"))) void* vkGetInstanceProcAddr(void* /*instance*/, const char* name)
{
    if (name && std::strcmp(name, "vkEnumerateInstanceExtensionProperties") == 0)
        return reinterpret_cast<void*>(&enumerateInstanceExtensionProperties);
    return nullptr;
}
