#include "SKBundle.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

TEST(SKBundle, MainBundleSitsBesideTheExecutablesBinFolder)
{
    // Tests run from the build tree, which has the installed layout: bin/ and share/tarvenko/.
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(SKBundle::main().directory(), exe.parent_path().parent_path() / "share" / "tarvenko");
}

TEST(SKBundle, FindsPlainFileNamesOnly)
{
    auto dir = std::filesystem::temp_directory_path() / "tarvenko-bundle-test";
    std::filesystem::create_directories(dir / "sub");
    std::ofstream(dir / "laser.wav") << "x";
    std::ofstream(dir.parent_path() / "outside.wav") << "x";
    SKBundle bundle(dir);
    EXPECT_EQ(bundle.find("laser.wav").path, dir / "laser.wav");
    EXPECT_FALSE(bundle.find("missing.wav").path);
    EXPECT_FALSE(bundle.find("sub").path) << "folders are not resources";
    EXPECT_FALSE(bundle.find("../outside.wav").path) << "names never leave the folder";
    EXPECT_FALSE(bundle.find("").path);
    std::filesystem::remove_all(dir);
    std::filesystem::remove(dir.parent_path() / "outside.wav");
}

TEST(SKBundle, SaysWhyAResourceCannotBeUsed)
{
    namespace fs = std::filesystem;
    auto dir = fs::temp_directory_path() / "tarvenko-bundle-why";
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.wav");
    std::ofstream(dir / "laser.wav") << "x";
    std::ofstream(dir / "locked.wav") << "x";
    fs::permissions(dir / "locked.wav", fs::perms::none);
    fs::create_symlink("loop.wav", dir / "loop.wav");
    fs::create_symlink("nowhere.wav", dir / "gone.wav");
    SKBundle bundle(dir);

    EXPECT_EQ(bundle.find("laser.wav").path, dir / "laser.wav");
    EXPECT_TRUE(bundle.find("missing.wav").missing);
    EXPECT_EQ(bundle.find("missing.wav").problem, "is missing");
    EXPECT_EQ(bundle.find("folder.wav").problem, "is a directory, not a file");
    EXPECT_FALSE(bundle.find("folder.wav").missing) << "something is there, just not a file";
    EXPECT_EQ(bundle.find("loop.wav").problem, "is a loop of symbolic links");
    EXPECT_EQ(bundle.find("gone.wav").problem, "is a broken symbolic link");

    // Permissions do not bind root: the unreadable file is looked at by a child that gives root up.
    auto unreadable = [&] { return bundle.find("locked.wav").problem.starts_with("cannot be read ("); };
    if (geteuid() != 0) {
        EXPECT_TRUE(unreadable());
    } else {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && unreadable() ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "as nobody, locked.wav cannot be read";
    }
    fs::remove_all(dir);
}
