#include "platform/chooser_arguments.h"
#include "platform/desktop_chooser.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace dm {
namespace {

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
        const ChooserOutcome outcome = RunDesktopChooser(request, [&calls] { ++calls; });
        std::filesystem::current_path(current);
        EXPECT_EQ(outcome.shown ? outcome.path : outcome.why, c.answer);
        EXPECT_EQ(outcome.shown, c.answer[0] != 'N') << c.answer;
        if (c.zenity) { // the folder the chooser starts from is the current one
            EXPECT_NE(ScratchDir::Contents(dir.File("zenity.args"))
                          .find("\n--filename=" + dir.Path() + "/my maps/Untitled\n"),
                      std::string::npos);
        }
        EXPECT_GE(calls, &c == cases ? 2 : 0); // kept alive while the first one sleeps
    }
    ScopedVariable x11("DISPLAY", nullptr);
    ScopedVariable wayland("WAYLAND_DISPLAY", "");
    EXPECT_EQ(RunDesktopChooser(request, [] {}).why,
              "No file chooser: no desktop session (DISPLAY is not set)");
}

} // namespace
} // namespace dm
