#include "platform/file_requester.h"
#include "platform/notify.h"
#include "scratch_dir.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

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
    SetNotifyHandler([](std::string_view, bool) {});
    Notify("to the handler", true);
    SetNotifyHandler({});
    Notify("to the box", true);
    const std::string log = window.Log();
    EXPECT_EQ(log.substr(0, log.find('\n') + 1), "messagebox proceed Duskmarch: Exit?\n");
    EXPECT_EQ(log.substr(log.find("messagebox confirm Duskmarch: Nothing")),
              "messagebox confirm Duskmarch: Nothing left\n"
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
    SetFileRequestFallback({});
    SetRequesterFolder("");
}

} // namespace
} // namespace dm
