#include "SKBundle.hpp"

#include <gtest/gtest.h>

#include <fstream>

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
    EXPECT_EQ(bundle.pathForResource("laser.wav"), dir / "laser.wav");
    EXPECT_FALSE(bundle.pathForResource("missing.wav"));
    EXPECT_FALSE(bundle.pathForResource("sub")) << "folders are not resources";
    EXPECT_FALSE(bundle.pathForResource("../outside.wav")) << "names never leave the folder";
    EXPECT_FALSE(bundle.pathForResource(""));
    std::filesystem::remove_all(dir);
    std::filesystem::remove(dir.parent_path() / "outside.wav");
}
