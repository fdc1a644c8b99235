// The built program run as a user runs it.
#include "editor_session.h"

#include "files/container_test_support.h"
#include "files/recovery_file.h"
#include "files/recovery_store.h"
#include "files/tilemap_file.h"
#include "platform/pictures/png_codec.h"
#include "render/display.h"
#include "support/headless_window.h"
#include "support/memory_limit.h"
#include "tools/tool_run.h"
#include "ui/popup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace dm {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = (fs::path(DUSKMARCH_BIN_DIR) / "duskmarch").string();

using test::FileText;
using test::ShellQuote;

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the shell line `setup`, then the program, stopped after `seconds` (status 124).
ProgramRun RunProgram(const std::string& folder, const std::string& setup,
                      const std::string& arguments, int seconds = 60,
                      const std::string& program = kProgram) {
    const std::string out = folder + "/stdout.txt";
    const std::string err = folder + "/stderr.txt";
    const std::string line = setup + (setup.empty() ? "" : " && ") + "exec timeout " +
                             std::to_string(seconds) + " " + ShellQuote(program) + " " + arguments +
                             " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    const int raw = std::system(("bash -c " + ShellQuote(line)).c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, FileText(out), FileText(err)};
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The program copied with its art into `copy`, with `graphics` as its configuration.
void CopyProgram(const test::ContainerTempFolder& copy, const std::string& graphics) {
    const fs::path bin = DUSKMARCH_BIN_DIR;
    fs::copy_file(bin / "duskmarch", copy.Root() / "duskmarch");
    fs::copy(bin / "data", copy.Root() / "data", fs::copy_options::recursive);
    fs::create_directory(copy.Root() / "dmdata");
    WriteText(copy.Path("dmdata/graphics.txt"), graphics);
}

// The wording for each script is checked where scripts are read; here, the program's status.
TEST(ProgramScripts, ScriptsThatCouldNeverEndAreRefusedWithStatus2) {
    const std::string folder = test::FreshFolder("never_ending");
    WriteText(folder + "/frames.txt", "frame 3\nframe 7\n");
    const std::pair<std::string, std::string> cases[] = {
        {folder + "/frames.txt",
         "duskmarch: " + folder +
             "/frames.txt: nothing happens in the script, so the run would never end; an 'end' "
             "line ends it\n"},
        {folder + "/none.txt",
         "duskmarch: cannot read " + folder + "/none.txt: No such file or directory\n"},
    };
    for (const auto& [script, message] : cases) {
        const ProgramRun run = RunProgram(folder, "", "--replay " + ShellQuote(script), 10);
        EXPECT_EQ(run.status, 2) << script;
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
}

// Requesters fall back to the program's folder, the user is told, and the run goes on.
TEST(ProgramStart, ARemovedCurrentFolderFallsBackToTheProgramsFolder) {
    const std::string folder = test::FreshFolder("removed_folder");
    const std::string script = folder + "/script.txt";
    WriteText(script, "frame 1\nkey down 160\npress 78\nframe 2\nkey up 160\npress 83\nanswer " +
                          folder + "/new.dtm\nframe 4\nend\n");
    const std::string gone = folder + "/gone";
    fs::create_directory(gone);
    const ProgramRun run = RunProgram(folder, "cd " + ShellQuote(gone) + " && rmdir ../gone",
                                      "--replay " + ShellQuote(script));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "duskmarch: the current folder cannot be found (No such file or directory); "
                       "file requesters start in " +
                           fs::canonical(DUSKMARCH_BIN_DIR).string() +
                           ", and relative paths are taken from there\n");
    EXPECT_NE(run.out.find("requester save Save Tilemap As"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::is_regular_file(folder + "/new.dtm"));
}

// 4096 x 2340 cells of 8 x 14 pixels: each side of the window is allowed, but a frame is 4 GiB.
TEST(ProgramScreenshots, AScreenTooLargeToDrawIsAConfigurationErrorWithStatus255) {
    test::ContainerTempFolder copy;
    CopyProgram(copy, "width 4096\nheight 2340\n");
    WriteText(copy.Path("script.txt"), "screenshot shot.png\nframe 1\nend\n");
    const ProgramRun run =
        RunProgram(copy.Root().string(), "export ASAN_OPTIONS=detect_leaks=0",
                   "--replay " + ShellQuote(copy.Path("script.txt")), 60, copy.Path("duskmarch"));
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err,
              "Unusable display size in dmdata\\graphics.txt: 4096 x 2340 cells at scale 1; cells "
              "must be 1 to 4096 across and down, scale at least 1, and the window at most 32768 "
              "pixels wide and 536870911 pixels in all\n");
    EXPECT_FALSE(fs::exists(copy.Path("shot.png")));
}

// The program started with posix_spawn, its output going to files; killed if still running.
class SpawnedProgram {
  public:
    SpawnedProgram(std::vector<std::string> arguments, std::vector<std::string> environment,
                   const std::string& out, const std::string& err) {
        for (char** variable = environ; *variable != nullptr; ++variable) {
            environment.emplace_back(*variable);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (const auto& [fd, file] : {std::pair(1, &out), std::pair(2, &err)}) {
            posix_spawn_file_actions_addopen(&actions, fd, file->c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        std::vector<char*> argv = Pointers(arguments);
        std::vector<char*> envp = Pointers(environment);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~SpawnedProgram() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    SpawnedProgram(const SpawnedProgram&) = delete;
    SpawnedProgram& operator=(const SpawnedProgram&) = delete;

    pid_t Pid() const { return pid_; }

    bool Ended() {
        int raw = 0;
        if (!ended_ && pid_ > 0 && waitpid(pid_, &raw, WNOHANG) == pid_) {
            ended_ = true;
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        }
        return ended_;
    }
    // -1 while running or when killed by a signal.
    int Status() { return Ended() ? status_ : -1; }

    int64_t AddressSpace() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("VmSize:")) {
                return std::stoll(line.substr(7)) * 1024;
            }
        }
        return 0;
    }

  private:
    static std::vector<char*> Pointers(std::vector<std::string>& texts) {
        std::vector<char*> pointers;
        for (std::string& text : texts) {
            pointers.push_back(text.data());
        }
        pointers.push_back(nullptr);
        return pointers;
    }

    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = -1;
};

bool Within60Seconds(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool Finished(SpawnedProgram& program) {
    return Within60Seconds([&program] { return program.Ended(); });
}

// The screen the editor shows while its memory message is up, in its second frame, drawn here.
std::shared_ptr<TPixmap> ExpectedMemoryMessage(const std::string& folder) {
    Display display;
    const fs::path previous = fs::current_path();
    fs::current_path(DUSKMARCH_BIN_DIR);
    OpenDisplay(display, kDisplayConfigPath, kUseDefaultTitle, [](const WindowRequest&) {});
    fs::current_path(previous);
    const std::string picture = folder + "/expected.png";
    test::HeadlessWindow window(display.windowWidth, display.windowHeight,
                                "frame 1\nscreenshot " + picture + "\nframe 2\npress 13\n");
    window.Driver().RunPastEnd();
    ShowMessage(display, "Error!", "Not enough memory to fill the region.");
    return LoadPixmap(picture);
}

bool SamePixels(const TPixmap& a, const TPixmap& b) {
    if (a.width != b.width || a.height != b.height) {
        return false;
    }
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.ReadPixel(x, y) != b.ReadPixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

// Under an address space limit (set while a screenshot into a pipe holds the program) too small
// for the undo copy of a fill, the fill is refused with its message, and once the other canvas is
// closed the filled one saves byte for byte as it was opened.
TEST(ProgramMemory, AFillWithoutMemoryIsReportedAndTheCanvasesStayIntactAndSave) {
    if (!test::AddressSpaceLimitsWork()) {
        GTEST_SKIP() << "address space limits cannot be tested here";
    }
    const std::string folder = test::FreshFolder("memory_limit");
    const std::string a = folder + "/a.dtm";
    const std::string b = folder + "/b.dtm";
    ASSERT_EQ(Save(*tilemap::Create(4096, 4096), a), 1);
    {
        auto second = tilemap::Create(2048, 2048);
        second->Fill('b', 3, 4, 1);
        second->SetTile(5, 7, 'x', 5, 6, 1);
        ASSERT_EQ(Save(*second, b), 1);
    }
    const std::vector<uint8_t> opened = test::ReadFileBytes(b);

    const std::string pipe = folder + "/pipe.png";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    // A page is less than the screenshot, so its writer waits for the pipe to be read.
    const int capacity = fcntl(reader, F_SETPIPE_SZ, 4096);
    ASSERT_GT(capacity, 0);
    // Open the second map and take the screenshot that holds the program; fill; close the memory
    // message, go to the first canvas and close it, save the second and close "Saved!".
    const std::string script = folder + "/script.txt";
    WriteText(script, "frame 1\npress 79\nanswer " + b + "\nframe 2\nscreenshot " + pipe +
                          "\nframe 4\n" + test::OverCanvas(10, 10) +
                          "button down 3\nframe 5\nbutton up 3\nframe 6\nscreenshot " + folder +
                          "/shot.png\nframe 7\npress 13\nframe 10\npress 9\nframe 12\n"
                          "key down 160\npress 88\nframe 13\nkey up 160\nframe 15\npress 13\n"
                          "frame 18\npress 83\nanswer " +
                          folder + "/saved.dtm\nframe 19\npress 13\nframe 21\nend\n");
    // Large blocks get their own mappings, so the address space follows what is held.
    SpawnedProgram editor({kProgram, "--replay", script, a},
                          {"MALLOC_MMAP_THRESHOLD_=131072", "MALLOC_TRIM_THRESHOLD_=131072"},
                          folder + "/stdout.txt", folder + "/stderr.txt");
    ASSERT_GT(editor.Pid(), 0);
    ASSERT_TRUE(Within60Seconds([&] {
        int waiting = 0;
        return editor.Ended() || (ioctl(reader, FIONREAD, &waiting) == 0 && waiting >= capacity);
    }));
    ASSERT_FALSE(editor.Ended()) << FileText(folder + "/stderr.txt");
    // Half the 12 MiB undo copy of the second canvas; the first one's 48 MiB make room to save.
    const auto limit = static_cast<rlim_t>(editor.AddressSpace() + (int64_t{6} << 20));
    const rlimit bound{limit, limit};
    ASSERT_EQ(prlimit(editor.Pid(), RLIMIT_AS, &bound, nullptr), 0);

    size_t piped = 0;
    ASSERT_TRUE(Within60Seconds([&] {
        uint8_t buffer[65536];
        const ssize_t got = read(reader, buffer, sizeof buffer);
        piped += got > 0 ? static_cast<size_t>(got) : 0;
        return got == 0;
    }));
    close(reader);
    ASSERT_TRUE(Finished(editor));
    EXPECT_EQ(editor.Status(), 0) << FileText(folder + "/stderr.txt");
    EXPECT_EQ(FileText(folder + "/stderr.txt"), "");

    const std::shared_ptr<TPixmap> shown = LoadPixmap(folder + "/shot.png");
    const std::shared_ptr<TPixmap> expected = ExpectedMemoryMessage(folder);
    ASSERT_TRUE(shown && expected);
    EXPECT_TRUE(SamePixels(*shown, *expected));
    EXPECT_GT(piped, size_t{4096});
    EXPECT_TRUE(test::ReadFileBytes(folder + "/saved.dtm") == opened);
}

// The program copied, autosaving every two seconds, with its state folder in the copy.
class AutosavingProgram {
  public:
    AutosavingProgram() {
        CopyProgram(copy_, FileText(std::string(DUSKMARCH_BIN_DIR) + "/dmdata/graphics.txt") +
                               "\nautosave 2\n");
    }

    std::string Path(const std::string& name) const { return copy_.Path(name); }

    // The editor started on the script; its output goes to NAME.out and NAME.err.
    std::unique_ptr<SpawnedProgram> Start(const std::string& name, const std::string& script) {
        WriteText(Path(name + ".txt"), script);
        return std::make_unique<SpawnedProgram>(
            std::vector<std::string>{Path("duskmarch"), "--replay", Path(name + ".txt")},
            std::vector<std::string>{"XDG_STATE_HOME=" + Path("state")}, Path(name + ".out"),
            Path(name + ".err"));
    }

    std::vector<std::string> RecoveryFiles() const {
        std::vector<std::string> files;
        std::error_code error;
        for (fs::recursive_directory_iterator next(Path("state"), error), end;
             !error && next != end; next.increment(error)) {
            if (next->path().extension() == kRecoveryExtension) {
                files.push_back(next->path().string());
            }
        }
        return files;
    }
    // The session folders left under the recovery folder.
    size_t Sessions() const {
        return test::ContainerTempFolder::NamesIn(Path("state/duskmarch/recovery")).size();
    }

  private:
    test::ContainerTempFolder copy_;
};

const std::pair<int, int> kDrawnCells[] = {{1, 1}, {2, 1}, {3, 2}};

// Draws glyph 64 at three cells of a new canvas, then glyph 65 taken from the picker at a fourth,
// and stays away from the canvas until it is stopped.
std::string DrawingScript() {
    test::Script script;
    script.Shifted('N');
    for (const auto& [x, y] : kDrawnCells) {
        script.Click(test::OverCanvas(x, y));
    }
    script.Click(1, 20).Click(test::OverCanvas(5, 5)).Then(test::kAway);
    return script.Wait(100000000).End();
}

std::vector<uint8_t> DrawnByScript() {
    auto drawn = tilemap::Create(16, 16);
    for (const auto& [x, y] : kDrawnCells) {
        drawn->SetTile(x, y, 64, 0, 9, 1);
    }
    drawn->SetTile(5, 5, 65, 0, 9, 1);
    return drawn->tmap;
}

// The editor is killed after an autosave; started again, it offers the map, which saves cell for
// cell as drawn, and its clean quit leaves no recovery file behind.
TEST(ProgramRecovery, AKilledEditorsDrawingComesBackAndACleanQuitLeavesNoRecoveryFile) {
    AutosavingProgram program;
    const std::unique_ptr<SpawnedProgram> killed = program.Start("killed", DrawingScript());
    ASSERT_TRUE(Within60Seconds([&] { return !program.RecoveryFiles().empty(); }))
        << FileText(program.Path("killed.err"));
    ASSERT_EQ(kill(killed->Pid(), SIGKILL), 0);
    ASSERT_TRUE(Finished(*killed));
    const std::vector<std::string> left = program.RecoveryFiles();
    ASSERT_EQ(left.size(), 1u);
    const Expected<RecoveryRecord> autosaved = ReadRecoveryFile(left[0]);
    ASSERT_TRUE(autosaved) << autosaved.Why();
    EXPECT_EQ(autosaved->image->tmap, DrawnByScript());

    const std::string saved = program.Path("recovered.dtm");
    test::Script again;
    again.Then("press 13\n").Wait(1).Then("press 83\nanswer " + saved + "\n");
    const std::unique_ptr<SpawnedProgram> recovering =
        program.Start("again", again.Then("press 13\n").Wait(1).Then("key down 27\n").End());
    ASSERT_TRUE(Finished(*recovering));
    EXPECT_EQ(recovering->Status(), 0) << FileText(program.Path("again.err"));
    const std::string out = FileText(program.Path("again.out"));
    EXPECT_TRUE(out.starts_with("popup Confirm!: Recover 1 unsaved maps from an earlier session?\n"
                                "requester save Save Tilemap As [Duskmarch Tilemaps:dtm;All "
                                "Files:*] Untitled\n"))
        << out;
    const std::shared_ptr<tilemap> reread = Read(saved, nullptr);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->tmap, DrawnByScript());
    EXPECT_EQ(program.RecoveryFiles(), std::vector<std::string>{});
    EXPECT_EQ(program.Sessions(), 0u);
}

// While one editor runs, another autosaves and quits without saving: it neither offers nor
// touches the first one's file, and removes its own.
TEST(ProgramRecovery, TwoEditorsAtOnceNeverTakeEachOthersFiles) {
    AutosavingProgram program;
    const std::unique_ptr<SpawnedProgram> first = program.Start("first", DrawingScript());
    ASSERT_TRUE(Within60Seconds([&] { return !program.RecoveryFiles().empty(); }));
    const std::vector<std::string> firstFiles = program.RecoveryFiles();
    ASSERT_EQ(firstFiles.size(), 1u);
    const std::vector<uint8_t> firstBytes = test::ReadFileBytes(firstFiles[0]);

    test::Script second;
    // Long enough away (a second or more of real time) to be seen.
    second.Shifted('N').Click(test::OverCanvas(7, 7)).Then(test::kAway).Wait(5000);
    const std::unique_ptr<SpawnedProgram> other = program.Start(
        "second", second.Then("key down 27\n").Then("key up 27\npress 13\n").Wait(2).End());
    // Its own autosave shows beside the first one's while it waits away from the canvas.
    ASSERT_TRUE(Within60Seconds([&] { return program.RecoveryFiles().size() == 2; }));
    ASSERT_TRUE(Finished(*other));
    EXPECT_EQ(other->Status(), 0);
    EXPECT_EQ(FileText(program.Path("second.out")), "popup Confirm!: Exit without saving?\n");
    EXPECT_EQ(program.RecoveryFiles(), firstFiles);
    EXPECT_EQ(test::ReadFileBytes(firstFiles[0]), firstBytes);
    EXPECT_EQ(program.Sessions(), 1u);
}

} // namespace
} // namespace dm
