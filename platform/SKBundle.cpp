#include "SKBundle.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

SKBundle::Found SKBundle::find(std::string_view fileName) const
{
    namespace fs = std::filesystem;
    // Names are plain file names: nothing may climb out of the folder.
    if (fileName.empty() || fileName.find('/') != std::string_view::npos || fileName == "." || fileName == "..")
        return {std::nullopt, true, "is not a plain file name"};
    fs::path path = directory_ / fileName;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error.value() == ELOOP) return {std::nullopt, false, "is a loop of symbolic links"};
    if (status.type() == fs::file_type::not_found) {
        if (fs::is_symlink(fs::symlink_status(path, error))) return {std::nullopt, false, "is a broken symbolic link"};
        return {std::nullopt, true, "is missing"};
    }
    if (error) return {std::nullopt, false, "cannot be looked at (" + error.message() + ")"};
    if (status.type() == fs::file_type::directory) return {std::nullopt, false, "is a directory, not a file"};
    if (status.type() != fs::file_type::regular) return {std::nullopt, false, "is not a regular file"};
    // Asked now, so that the reason is known before anyone reads it.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {std::nullopt, false, std::string("cannot be read (") + std::strerror(errno) + ")"};
    std::fclose(file);
    return {path, false, ""};
}
