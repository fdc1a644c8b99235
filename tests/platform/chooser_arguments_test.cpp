#include "platform/chooser_arguments.h"
#include "platform/file_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

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
