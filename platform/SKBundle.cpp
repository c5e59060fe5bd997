#include "SKBundle.hpp"

#include <system_error>

const SKBundle& SKBundle::main()
{
    static const SKBundle bundle = [] {
        std::error_code error;
        std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
        std::filesystem::path bin = error ? std::filesystem::current_path(error) : exe.parent_path();
        return SKBundle(bin.parent_path() / "share" / "tarvenko");
    }();
    return bundle;
}

std::optional<std::filesystem::path> SKBundle::pathForResource(std::string_view fileName) const
{
    // Names are plain file names: nothing may climb out of the folder.
    if (fileName.empty() || fileName.find('/') != std::string_view::npos || fileName == "." || fileName == "..")
        return std::nullopt;
    std::filesystem::path path = directory_ / fileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    return path;
}
