#include "Diagnostics.hpp"
#include "SKBundle.hpp"
#include "Support.hpp"

#include <sys/stat.h>
#include <sys/wait.h>

TEST(SKBundle, FindsPlainFilesBesideTheBinFolderAndSaysWhyOthersCannotBeUsed)
{
    // Tests run from the build tree, which has the installed layout: bin/ and share/tarvenko/.
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(SKBundle::main().directory(), exe.parent_path().parent_path() / "share" / "tarvenko");
    namespace fs = std::filesystem;
    TempDir t;
    fs::create_directories(t.dir / "folder.wav");
    t.write("laser.wav", "x"), t.write("locked.wav", "x");
    fs::permissions(t.dir / "locked.wav", fs::perms::none);
    fs::create_symlink("loop.wav", t.dir / "loop.wav");
    fs::create_symlink("nowhere.wav", t.dir / "gone.wav"), mkfifo((t.dir / "pipe.wav").c_str(), 0600);
    SKBundle bundle(t.dir);
    EXPECT_TRUE(bundle.find("laser.wav").path == t.dir / "laser.wav");
    // Only what is not there is missing (to the game, a file that is there but unusable is told of).
    for (auto [name, problem] :
         {std::pair{"missing.wav", "is missing (missing)"}, {"folder.wav", "is a directory, not a file"},
          {"loop.wav", "is a loop of symbolic links"}, {"gone.wav", "is a broken symbolic link"},
          {"pipe.wav", "is not a regular file"}, {"../laser.wav", "is not a plain file name (missing)"},
          {"", "is not a plain file name (missing)"}})
        EXPECT_EQ(bundle.find(name).problem + (bundle.find(name).missing ? " (missing)" : ""), problem) << name;
    // Permissions do not bind root: the unreadable file is looked at by a child that gives root up.
    auto unreadable = [&] { return bundle.find("locked.wav").problem.starts_with("cannot be read ("); };
    EXPECT_EXIT(_exit((geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0)) && unreadable() ? 0 : 1),
                testing::ExitedWithCode(0), "") << "locked.wav cannot be read";
}
