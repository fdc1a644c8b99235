#include "platform/host.h"
#include "platform/requesters/chooser_arguments.h"
#include "platform/requesters/desktop_chooser.h"
#include "platform/requesters/file_filter.h"
#include "platform/requesters/file_requester.h"
#include "platform/requesters/notify.h"
#include "platform/scratch_dir.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dm {
namespace {

const std::string kMaps = "Duskmarch Tilemaps:dtm;All Files:*";
const std::string kAsk = "messagebox confirm Duskmarch: castle.dtm already exists. Do you want "
                         "to replace it?\n";

// "@" stands for the scratch folder in the answers, results and logs below.
std::string In(const ScratchDir& dir, std::string text) {
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
        text.replace(at, 1, dir.Path());
    }
    return text;
}

TEST(RequestFile, SaveNamesGetTheFirstExtensionAndReplacingIsAsked) {
    const std::string reopened = kAsk + "requester save T [" + kMaps + "] @/castle.dtm\n";
    const struct {
        std::string filter;
        bool save;
        const char* script;
        const char* result;
        std::string log; // after the first requester's line
    } cases[] = {
        {kMaps, true, "answer old.maps/town", "@/old.maps/town.dtm", ""},
        {kMaps, true, "answer old.maps/", "@/old.maps/", ""},
        {kMaps, true, "answer castle.png", "@/castle.png", ""},
        {kMaps, false, "answer castle", "@/castle", ""},
        {kMaps, true, "answer", "", ""},
        {"All Files:*;PNG Image:png", true, "answer castle", "@/castle", ""},
        {"PNG Image:png", true, "answer town", "@/town.png", ""},
        {kMaps, true, "answer castle\nchoose 0", "@/castle.dtm", kAsk},
        {kMaps, true, "answer castle\nchoose 1\nanswer", "", reopened},
        {kMaps, true, "answer castle\nchoose 1\nanswer keep", "@/keep.dtm", reopened},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        dir.Write("castle.dtm", "map");
        dir.Write("castle.png", "picture");
        test::HeadlessWindow window(4, 4, c.script, dir.Path());
        EXPECT_EQ(RequestFile("T", c.filter, c.save, "Untitled"), In(dir, c.result)) << c.script;
        EXPECT_EQ(window.Log(), std::string("requester ") + (c.save ? "save" : "open") + " T [" +
                                    c.filter + "] Untitled\n" + In(dir, c.log))
            << c.script;
    }
    EXPECT_EQ(RequestFile("T", kMaps, true, "Untitled"), ""); // no driver
}

TEST(MessageBoxes, AnswersComeFromTheButtonChosenOrStandardErrorWithoutADriver) {
    testing::internal::CaptureStderr();
    const std::vector<int> alone = {Confirm("Replace it?", true), Proceed("Exit?", false)};
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Replace it?\nExit?\n");
    EXPECT_EQ(alone, std::vector<int>({0, -1}));

    // Button 2 of a box without a third, and a box with no choice left, answer -1 or 0.
    test::HeadlessWindow window(4, 4, "choose 0\nchoose 1\nchoose 2\nchoose 0\nchoose 1\n");
    const std::vector<int> results = {Proceed("Exit?", true),        Proceed("Exit?", false),
                                      Proceed("Exit?", false),       Confirm("Sure?", true),
                                      Confirm("Sure?", false),       Confirm("Nothing left", false),
                                      Proceed("Nothing left", false)};
    EXPECT_EQ(results, std::vector<int>({1, 0, -1, 1, 0, 0, -1}));
    Notify("to the box", true);
    const std::string log = window.Log();
    EXPECT_EQ(log.substr(log.rfind("messagebox proceed")),
              "messagebox proceed Duskmarch: Nothing left\n"
              "messagebox notify Duskmarch: to the box\n");
}

TEST(RequestFileThroughFallback, PassesWhyAndAsksBeforeReplacingANameItWillNotExtend) {
    ScratchDir dir;
    dir.Write("castle.dtm", "map");
    dir.Write("castle", "no extension");
    test::HeadlessWindow window(4, 4, "choose 1\nchoose 0");
    const FileRequest save{"T", kMaps, true, "Untitled"};
    EXPECT_EQ(RequestFileThroughFallback(save, "why"), ""); // none installed
    std::vector<std::string> answers = {"@/castle.dtm", "@/castle.dtm", "@/castle"};
    std::string asked;
    SetFileRequestFallback([&](const FileRequest& request, const std::string& why) {
        asked += request.initialPath + " " + why + "\n";
        const std::string answer = In(dir, answers.front());
        answers.erase(answers.begin());
        return answer;
    });
    EXPECT_EQ(RequestFileThroughFallback(save, "none"), dir.File("castle.dtm"));
    EXPECT_EQ(RequestFileThroughFallback(save, "none"), dir.File("castle"));
    SetFileRequestFallback({});
    EXPECT_EQ(asked, In(dir, "Untitled none\n@/castle.dtm none\nUntitled none\n"));
    EXPECT_EQ(window.Log(), kAsk + kAsk);

    // A typed relative path is taken from the folder the program was started in.
    SetRequesterFolder(dir.Path());
    SetFileRequestFallback([](const FileRequest&, const std::string&) { return "sub/../map"; });
    EXPECT_EQ(RequestFileThroughFallback({"T", kMaps, false, ""}, "none"), dir.File("map"));
    ResetHost();
}

// Sets an environment variable, or unsets it for null, until the object goes.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// Stand-in choosers on a PATH of their own: each writes the arguments it got, one a line, to a
// file named after it, then runs its script line.
TEST(DesktopChooser, TriesZenityThenKdialogAndSaysWhyNeitherAnswered) {
    const FileRequest request{"Save As", "Maps:dtm;All Files:*", true, "my maps/Untitled"};
    const struct {
        const char* zenity; // null: not installed
        const char* kdialog;
        const char* answer; // the path chosen, or why no chooser was shown
    } cases[] = {
        {"/bin/sleep 0.2; printf '/picked/a b.dtm\\n'", "exit 9", "/picked/a b.dtm"},
        {"exit 1", nullptr, ""},
        {nullptr, "printf '/k/line\\nbreak\\n'", "/k/line\nbreak"},
        {"exit 255", "kill -9 $$",
         "No file chooser: zenity failed with exit status 255, kdialog was ended by a signal"},
        {nullptr, nullptr, "No file chooser: zenity is not installed, kdialog is not installed"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        ScopedVariable path("PATH", dir.Path().c_str());
        ScopedVariable display("DISPLAY", ":7");
        const std::pair<const char*, const char*> choosers[] = {{"zenity", c.zenity},
                                                                {"kdialog", c.kdialog}};
        for (const auto& [name, script] : choosers) {
            if (script) {
                const std::string file =
                    dir.Write(name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + std::string(name) +
                                        ".args\n" + script);
                std::filesystem::permissions(file, std::filesystem::perms::owner_all);
            }
        }
        int calls = 0;
        const auto current = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        const Expected<std::string> outcome = RunDesktopChooser(request, [&calls] { ++calls; });
        std::filesystem::current_path(current);
        EXPECT_EQ(outcome ? *outcome : outcome.Why(), c.answer);
        EXPECT_EQ(outcome.HasValue(), c.answer[0] != 'N') << c.answer;
        if (c.zenity) { // the folder the chooser starts from is the current one
            EXPECT_NE(ScratchDir::Contents(dir.File("zenity.args"))
                          .find("\n--filename=" + dir.Path() + "/my maps/Untitled\n"),
                      std::string::npos);
        }
        EXPECT_GE(calls, &c == cases ? 2 : 0); // kept alive while the first one sleeps
    }
    ScopedVariable x11("DISPLAY", nullptr);
    ScopedVariable wayland("WAYLAND_DISPLAY", "");
    EXPECT_EQ(RunDesktopChooser(request, [] {}).Why(),
              "No file chooser: no desktop session (DISPLAY is not set)");
}

// A chooser that answers with a relative path means the folder it showed first, not the
// program's folder, which is the current one.
TEST(DesktopChooser, ARelativeAnswerIsTakenFromTheFolderTheChooserOpenedIn) {
    ScratchDir dir;
    ScopedVariable path("PATH", dir.Path().c_str());
    ScopedVariable display("DISPLAY", ":7");
    const std::string zenity = dir.Write("zenity", "#!/bin/sh\nprintf 'picked/../a b.dtm\\n'\n");
    std::filesystem::permissions(zenity, std::filesystem::perms::owner_all);
    SetRequesterFolder(dir.Path());
    const std::pair<const char*, std::string> cases[] = {
        {"maps/Untitled", dir.File("maps/a b.dtm")},
        {"Untitled", dir.File("a b.dtm")},
        {"/elsewhere/Untitled", "/elsewhere/a b.dtm"},
    };
    for (const auto& [initial, chosen] : cases) {
        const Expected<std::string> outcome = RunDesktopChooser({"T", kMaps, true, initial}, [] {});
        ASSERT_TRUE(outcome) << outcome.Why();
        EXPECT_EQ(*outcome, chosen) << initial;
    }
    ResetHost();
}

TEST(FileFilter, GroupsComeBackCleanedAndTheFirstExtensionIsTheDefault) {
    const struct {
        const char* filter;
        const char* groups; // written back as description:extensions, one group after another
        const char* defaultExtension;
    } cases[] = {
        {"All Files:*;PNG Image:png", "All Files:* PNG Image:png ", ""},
        {"png,JPG", "Files:png,JPG ", "png"},
        {" Maps : dtm , map ;;Empty:;Old|Pics\t:png", "Maps:dtm,map Old Pics:png ", "dtm"},
        {"A:7z;bmp", "A:7z Files:bmp ", "7z"},
        {":x y(1)|", "Files:xy1 ", "xy1"},
        {"Guess:d?m", "Guess:d?m ", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        std::string groups;
        for (const FileFilterGroup& group : ParseFileFilter(c.filter)) {
            groups += group.description + ":";
            for (const std::string& extension : group.extensions) {
                groups += extension + (&extension == &group.extensions.back() ? " " : ",");
            }
        }
        EXPECT_EQ(groups, c.groups) << c.filter;
        EXPECT_EQ(DefaultExtension(c.filter), c.defaultExtension) << c.filter;
    }
}

TEST(ChooserArguments, InitialPathsSplitIntoAnAbsoluteFolderAndAName) {
    const char* const cases[][3] = {
        {"Untitled", "/run/dm", "Untitled"},
        {"maps/town", "/run/dm/maps", "town"},
        // A backslash is part of a name.
        {"maps\\town", "/run/dm", "maps\\town"},
        {"/srv/old.maps/", "/srv/old.maps", ""},
        {"/castle", "/", "castle"},
        {"-x/--y", "/run/dm/-x", "--y"},
    };
    for (const auto& [initialPath, folder, name] : cases) {
        const ChooserStart start = SplitInitialPath(initialPath, "/run/dm");
        EXPECT_EQ(start.folder + "|" + start.name, std::string(folder) + "|" + name);
    }
}

TEST(ChooserArguments, ZenityAndKdialogCommandLines) {
    using Arguments = std::vector<std::string>;
    const struct {
        FileRequest request;
        Arguments zenity;
        Arguments kdialog;
    } cases[] = {
        {{"Save Tilemap As", "Duskmarch Tilemaps:dtm;All Files:*", true, "Untitled"},
         {"zenity", "--file-selection", "--title=Save Tilemap As", "--save", "--confirm-overwrite",
          "--filename=/run/dm/Untitled", "--file-filter=Duskmarch Tilemaps | *.dtm *.DTM",
          "--file-filter=All Files | *"},
         {"kdialog", "--title", "Save Tilemap As", "--getsavefilename", "--", "/run/dm/Untitled",
          "Duskmarch Tilemaps (*.dtm *.DTM)|All Files (*)"}},
        {{"Import Encoded Tilemap", "PNG Image:png;All Files:*", false, "/srv/my maps/"},
         {"zenity", "--file-selection", "--title=Import Encoded Tilemap",
          "--filename=/srv/my maps/", "--file-filter=PNG Image | *.png *.PNG",
          "--file-filter=All Files | *"},
         {"kdialog", "--title", "Import Encoded Tilemap", "--getopenfilename", "--",
          "/srv/my maps/", "PNG Image (*.png *.PNG)|All Files (*)"}},
        {{"", "", false, ""},
         {"zenity", "--file-selection", "--filename=/run/dm/"},
         {"kdialog", "--getopenfilename", "--", "/run/dm/"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZenityArguments(c.request, "/run/dm"), c.zenity) << c.request.title;
        EXPECT_EQ(KdialogArguments(c.request, "/run/dm"), c.kdialog) << c.request.title;
    }
}

} // namespace
} // namespace dm
