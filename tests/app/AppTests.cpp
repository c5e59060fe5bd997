#include "CommandLine.hpp"
#include "Diagnostics.hpp"
#include "Letterbox.hpp"
#include "Process.hpp"
#include "Settings.hpp"
#include "Support.hpp"
#include "TarvenkoApp.hpp"

#include <SDL.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <fstream>
#include <random>

// At any window shape the view is as large as fits, centred on whole pixels, and a click on a
// view point drawn there lands on that point.
TEST(Letterbox, TheViewFillsWhatFitsCentredClicksComeBackThroughItAndWindowsOpenAtTheDesktopsScale)
{
    constexpr CGSize view{800, 600};
    std::mt19937 random(3);
    for (int i = 0; i < 1000; ++i) {
        double w = 1 + random() % 4000, h = 1 + random() % 3000;
        Letterbox fit = Letterbox::fit(view, w, h);
        double spareX = w - 800 * fit.scale - 2 * fit.origin.x, spareY = h - 600 * fit.scale - 2 * fit.origin.y;
        ASSERT_TRUE(std::abs(std::min(w - 800 * fit.scale, h - 600 * fit.scale)) < 1e-9) << w << "×" << h;
        ASSERT_TRUE(std::floor(spareX / 2) == 0 && std::floor(spareY / 2) == 0 && fit.origin.x == int(fit.origin.x) &&
                    fit.origin.y == int(fit.origin.y)) << "centred on whole pixels";
        CGPoint p{double(random() % 800), double(random() % 600)};
        CGPoint back = fit.toView({fit.origin.x + p.x * fit.scale, fit.origin.y + (600 - p.y) * fit.scale}, view);
        ASSERT_NEAR(std::abs(back.x - p.x) + std::abs(back.y - p.y), 0, 1e-9) << w << "×" << h;
    }
    // The window: the desktop's scale, or the largest that fits; no area known: the desktop's.
    EXPECT_EQ(windowScale(view, 2, {1920, 1200}), 2);
    EXPECT_DOUBLE_EQ(windowScale(view, 2, {1920, 1080}), 1.8) << "GDK_SCALE=2 on a 1080p screen";
    EXPECT_DOUBLE_EQ(windowScale(view, 1, {1024, 500}), 500.0 / 600) << "the tighter side decides, below 1 too";
    EXPECT_EQ(windowScale(view, 2, {0, 0}), 2);
}

// The ground laid first in main: closed streams on /dev/null, a reader gone no end, a stop signal
// ending start-up at once with status 0 and, once started, handed to the frame loop as a quit;
// libraries hushed while the game's own lines still get through, each on one line, whatever it holds,
// and each cause told once.
TEST(Process, StreamsSignalsAndHushedLibraries)
{
    auto onNull = [](int fd) { return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)) == "/dev/null"; };
    auto stoppedInStartUp = [&] {
        close(0), close(1);
        process::settle();
        int ends[2];
        if (pipe(ends) != 0 || close(ends[0]) != 0 || write(ends[1], "x", 1) != -1 || !onNull(0) || !onNull(1)) _exit(3);
        raise(SIGTERM);
        _exit(4);
    };
    EXPECT_EXIT(stoppedInStartUp(), testing::ExitedWithCode(0), "");
    auto stoppedInPlay = [](int signal) {
        process::settle(), process::started();
        raise(signal);
        SDL_Event e;
        _exit(SDL_PollEvent(&e) && e.type == SDL_QUIT ? 7 : 8);
    };
    EXPECT_EXIT(stoppedInPlay(SIGTERM), testing::ExitedWithCode(7), "");
    EXPECT_EXIT(stoppedInPlay(SIGINT), testing::ExitedWithCode(7), "");
    // Leaving at once (a sound server held the quit) still lets out what the game had to say.
    auto leaving = [] { dup2(2, 1), setvbuf(stdout, nullptr, _IOFBF, 4096), std::printf("held back\n"), process::leave(3); };
    EXPECT_EXIT(leaving(), testing::ExitedWithCode(3), "^held back\n$");
    testing::internal::CaptureStderr();
    {
        process::Hush hush;
        std::fputs("a library's chatter\n", stderr), std::fflush(stderr);
        Diagnostics::tell("the game's line\nx\r\t\x1b[2J\x7fé");
    }
    Diagnostics::tellOnce("cause a", "a: bad"), Diagnostics::tellOnce("cause a", "a: again"), Diagnostics::tell("b");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tarvenko: the game's line\\nx\\r\\t\\x1b[2J\\x7fé\n"
                                                      "tarvenko: a: bad\ntarvenko: b\n");
}

// Limits too tight for the game are raised where the hard limit allows, else named in one line
// before any library would abort for want of them.
TEST(Process, TightLimitsAreRaisedOrNamed)
{
    auto child = [] {
        rlimit files{8, 1024}, stack{64 << 10, RLIM_INFINITY}, tight{63, 63};
        unsetenv("WAYLAND_DISPLAY");
        bool raised = !setrlimit(RLIMIT_NOFILE, &files) && !setrlimit(RLIMIT_STACK, &stack) && process::tightLimit().empty();
        getrlimit(RLIMIT_NOFILE, &files), getrlimit(RLIMIT_STACK, &stack), setrlimit(RLIMIT_NOFILE, &tight);
        std::fputs((process::tightLimit() + "\n").c_str(), stderr);
        tight = {255 << 10, 255 << 10}, setrlimit(RLIMIT_STACK, &tight), std::fputs(process::tightLimit().c_str(), stderr);
        _exit(raised && files.rlim_cur == 64 && stack.rlim_cur == 256 << 10 ? 0 : 1);
    };
    EXPECT_EXIT(child(), testing::ExitedWithCode(0), "^the open files limit \\(ulimit -n\\) is 63; the game needs at least 64\n"
                                                     "the stack size limit \\(ulimit -s\\) is 255 KiB; the game needs at least 256 KiB$");
}

// The first scene: the scene file's size, and its colour where it gives one, else the window's
// size. Either way it takes its view's size.
TEST(TarvenkoApp, TheFirstSceneIsTheSceneFilesWhenItCanBeUsed)
{
    TempDir t;
    const SKColor plain = SKScene().backgroundColor(), blue = SKColor::colorWithRed(0, 0, 0.2, 1);
    for (auto [text, size, colour] : {std::tuple{"", CGSize{800, 600}, plain}, {R"({"size": [1024, 768]})", CGSize{1024, 768}, plain},
                                      {R"({"size": [640, 480], "backgroundColor": [0, 0, 0.2, 1]})", {640, 480}, blue}}) {
        if (*text) t.write("GameScene.scene.json", text);
        auto scene = TarvenkoApp(SKBundle(t.dir)).scene();
        EXPECT_TRUE(scene->size() == size && scene->backgroundColor() == colour && scene->scaleMode() == SKSceneScaleMode::resizeFill) << text;
    }
}

// The game's own binary, asked with no display: what it says and its status.
TEST(CommandLine, AnswersItsFourOptionsWithoutADisplayAndRefusesTheRest)
{
    auto run = [](const std::string& args) {
        std::string game = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tarvenko").string(), said;
        FILE* out = popen(("env -u DISPLAY -u WAYLAND_DISPLAY " + game + " " + args + " 2>&1; echo =$?").c_str(), "r");
        for (int c; (c = std::fgetc(out)) != EOF;) said += char(c);
        return pclose(out), said;
    };
    EXPECT_EQ(run("--fullscreen --version"), "tarvenko 0.1.0\n=0\n");
    std::string help = run("--windowed --help");
    EXPECT_TRUE(help.starts_with("Usage: tarvenko") && help.ends_with("\n=0\n") &&
                help.find("\n  M                   sound off and on\n") != std::string::npos);
    EXPECT_EQ(run("-x --help") + run("--fullscreen level2"), "tarvenko: unknown option '-x'; see 'tarvenko --help'\n=2\n"
                                                             "tarvenko: unexpected argument 'level2'; see 'tarvenko --help'\n=2\n");
    const char* last[] = {"tarvenko", "--windowed", "--fullscreen"};
    EXPECT_TRUE(CommandLine::parse(3, last).fullscreen == true && CommandLine::parse(2, last).fullscreen == false);
}

// Choices written whole, read back, and never lost to a file that cannot be read as them.
TEST(Settings, ChoicesAreKeptWholeAndADamagedFileIsNamedAndKept)
{
    TempDir t;
    Diagnostics::Capture lines;
    std::filesystem::path folder = t.dir / "tarvenko", file = folder / "settings.json";
    EXPECT_TRUE(Settings(folder).load() == Choices{} && Settings(folder).save({true, false}));
    EXPECT_TRUE(Settings(folder).load() == (Choices{true, false}) && lines.take().empty());
    for (auto [damage, why] : {std::pair{"{oops", "is not JSON"}, {"{\"sound\": 1}", "is not {\"fullscreen\": true or false"},
                               {"dir", "is a directory"}, {"fifo", "is not a regular file"}, {"huge", "is too large"}}) {
        std::filesystem::remove_all(file), std::filesystem::remove_all(file.string() + ".bad");
        if (damage == std::string("dir")) std::filesystem::create_directory(file);
        else if (damage == std::string("fifo")) mkfifo(file.c_str(), 0600);
        else std::ofstream(file) << (damage == std::string("huge") ? std::string(70000, ' ') : damage);
        Settings damaged(folder);
        EXPECT_TRUE(damaged.load() == Choices{} && lines.take().at(0).find(why) != std::string::npos) << why;
        EXPECT_TRUE(damaged.save({false, false}) && Settings(folder).load() == (Choices{false, false}) &&
                    std::filesystem::exists(file.string() + ".bad")) << "written, the old one kept: " << why;
    }
    // Nowhere to keep them: said once.
    Settings nowhere(std::nullopt), blocked(file / "no-folder-under-a-file");
    EXPECT_TRUE(!nowhere.save({}) && !nowhere.save({}) && !blocked.save({}) && lines.take().size() == 2);
    // Killed at any moment while writing: the old choices or the new ones, whole.
    for (int i = 0; i < 100; ++i) {
        pid_t writer = fork();
        if (writer == 0)
            for (Settings mine(folder);;) mine.save({i % 2 == 0, true});
        usleep(i * 37 % 3000), kill(writer, SIGKILL), waitpid(writer, nullptr, 0);
        Choices read = Settings(folder).load();
        ASSERT_TRUE((read.sound || read == Choices{false, false}) && lines.take().empty()) << "torn after kill " << i;
    }
}
