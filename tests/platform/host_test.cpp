#include "platform/host.h"

#include "platform/drivers/headless_driver.h"
#include "platform/input/dropped_files.h"
#include "platform/input/polled_input.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

namespace dm {
namespace {

// State of a layer above the platform, kept in a slot.
struct Counter {
    int count = 7;
};

// Changes every part of the host from how it starts.
void DirtyEverything() {
    ASSERT_TRUE(OpenGraphics(8, 8, 0, 60, 0));
    SetApplicationTitle("Changed");
    SetAutoPoll(false);
    EmitEvent({EventId::KeyDown, 'A'});
    EmitEvent({EventId::MouseMove, 0, 0, 5, 6});
    SetMaskRGB(1, 2, 3);
    SetRequesterFolder("/somewhere");
    SetFileRequestFallback([](const FileRequest&, const std::string&) { return "/chosen"; });
    SetNotifyHandler([](std::string_view, bool) {});
    QueueDroppedFile("/dropped.dtm");
    CurrentHost().Slot<Counter>().count = 99;
}

// Nothing but the driver and the requester folder may differ from a host at start.
void ExpectAsAtStart(const std::string& folder) {
    EXPECT_EQ(CurrentGraphics(), nullptr);
    EXPECT_EQ(ApplicationTitle(), "Duskmarch");
    EXPECT_EQ(IsKeyDown('A'), 0);
    EXPECT_EQ(MouseXPos(), 0);
    EXPECT_EQ(MouseYPos(), 0);
    const MaskColor mask = GetMaskRGB();
    EXPECT_EQ(mask.red + mask.green + mask.blue, 0);
    EXPECT_EQ(CurrentHost().requesterFolder, folder);
    EXPECT_EQ(RequestFileThroughFallback({"T", "", false, ""}, "none"), "");
    EXPECT_FALSE(CurrentHost().notifyHandler);
    EXPECT_TRUE(TakeDroppedFiles().empty());
    EXPECT_EQ(CurrentHost().Slot<Counter>().count, 7);
    EXPECT_TRUE(CurrentHost().input.autoPoll);
}

TEST(Host, SetUpAndResetPutEverythingBackButWhatTheyAreGiven) {
    std::ostringstream log;
    const auto driver = std::make_shared<HeadlessDriver>(ReplayScript{}, log);
    SetUpHost(driver, "/start");
    EXPECT_EQ(CurrentSystemDriver(), driver.get());
    ExpectAsAtStart("/start");

    DirtyEverything();
    EXPECT_NE(CurrentGraphics(), nullptr);
    EXPECT_EQ(IsKeyDown('A'), 1);
    EXPECT_EQ(MouseXPos(), 5);
    EXPECT_EQ(CurrentHost().Slot<Counter>().count, 99);

    SetUpHost(driver, "/again");
    EXPECT_EQ(CurrentSystemDriver(), driver.get());
    ExpectAsAtStart("/again");

    DirtyEverything();
    ResetHost();
    EXPECT_EQ(CurrentSystemDriver(), nullptr);
    ExpectAsAtStart("");
    // Nothing holds the driver any more but the test.
    EXPECT_EQ(driver.use_count(), 1);
}

} // namespace
} // namespace dm
