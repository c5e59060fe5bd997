#include "Settings.hpp"

#include "Diagnostics.hpp"

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* fileName = "settings.json";
// Two choices take a few dozen bytes; anything near this is not our file.
constexpr off_t maxBytes = 64 << 10;

std::string reason() { return std::strerror(errno); }

// The file's text, or why it cannot be read as one (a directory, a FIFO, too large, …).
std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::string& problem)
{
    // Not blocking, so a FIFO in its place is not waited on.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return problem = "cannot be read (" + reason() + ")", std::nullopt;
    struct stat s {};
    std::string text;
    if (fstat(fd, &s) != 0) problem = "cannot be read (" + reason() + ")";
    else if (S_ISDIR(s.st_mode)) problem = "is a directory";
    else if (!S_ISREG(s.st_mode)) problem = "is not a regular file";
    else if (s.st_size > maxBytes) problem = "is too large";
    else {
        text.resize(std::size_t(s.st_size));
        if (read(fd, text.data(), text.size()) != ssize_t(text.size())) problem = "cannot be read (" + reason() + ")";
    }
    close(fd);
    if (!problem.empty()) return std::nullopt;
    return text;
}

} // namespace

Settings::Settings(std::optional<std::filesystem::path> folder) : folder_(std::move(folder)) {}

std::optional<std::filesystem::path> Settings::configFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // As XDG has it: a relative path there is to be ignored.
    if (config && config[0] == '/') return std::filesystem::path(config) / "tarvenko";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::filesystem::path(home) / ".config" / "tarvenko";
    return std::nullopt;
}

Choices Settings::load()
{
    Choices choices;
    if (!folder_) return choices;
    std::filesystem::path path = *folder_ / fileName;
    std::string problem;
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return choices;
    if (auto text = readSmallFile(path, problem)) {
        nlohmann::json doc = nlohmann::json::parse(*text, nullptr, /*allow_exceptions=*/false);
        auto flag = [&](const char* name, bool& into) {
            auto it = doc.find(name);
            if (it == doc.end()) return true;
            if (!it->is_boolean()) return false;
            into = it->get<bool>();
            return true;
        };
        Choices read;
        if (doc.is_discarded()) problem = "is not JSON";
        else if (!doc.is_object() || !flag("fullscreen", read.fullscreen) || !flag("sound", read.sound))
            problem = "is not {\"fullscreen\": true or false, \"sound\": true or false}";
        else choices = read;
    }
    if (!problem.empty()) {
        damaged_ = true;
        Diagnostics::tell("settings " + path.string() + " " + problem + "; playing with the defaults");
    }
    return choices;
}

bool Settings::save(const Choices& choices)
{
    auto unkept = [&](const std::string& why) {
        Diagnostics::tellOnce("unkept " + why, "choices will not be kept: " + why);
        return false;
    };
    if (!folder_) return unkept("neither XDG_CONFIG_HOME nor HOME is set");
    std::error_code error;
    std::filesystem::create_directories(*folder_, error);
    if (error) return unkept("cannot make " + folder_->string() + " (" + error.message() + ")");
    std::string text = nlohmann::json{{"fullscreen", choices.fullscreen}, {"sound", choices.sound}}.dump(2) + "\n";
    std::string temporary = (*folder_ / (std::string(fileName) + ".XXXXXX")).string();
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return unkept("cannot write in " + folder_->string() + " (" + reason() + ")");
    bool written = write(fd, text.data(), text.size()) == ssize_t(text.size()) && fsync(fd) == 0;
    std::string why = reason();
    written = close(fd) == 0 && written;
    std::filesystem::path path = *folder_ / fileName;
    // A file we could not read is the player's, not ours: kept beside the new one.
    if (written && damaged_) {
        std::filesystem::path bad = path.string() + ".bad";
        std::filesystem::remove_all(bad, error);
        damaged_ = std::rename(path.c_str(), bad.c_str()) != 0 && errno != ENOENT;
        why = reason();
    }
    if (!written || damaged_ || std::rename(temporary.c_str(), path.c_str()) != 0) {
        if (written && !damaged_) why = reason();
        unlink(temporary.c_str());
        return unkept("cannot write " + path.string() + " (" + why + ")");
    }
    // The rename itself is kept only once the folder is written out.
    if (int dir = open(folder_->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) fsync(dir), close(dir);
    return true;
}
