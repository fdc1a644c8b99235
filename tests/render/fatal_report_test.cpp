#include "platform/fatal_error.h"
#include "platform/requesters/notify.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace dm {
namespace {

TEST(RunReportingFatal, PassesResultsAndTurnsFatalErrorsIntoStatus255) {
    EXPECT_EQ(RunReportingFatal([] { return 3; }), 3);

    testing::internal::CaptureStderr();
    const int status = RunReportingFatal([]() -> int { throw FatalError("Failed to read x"); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to read x\n");
    EXPECT_EQ(status, 255);

    EXPECT_THROW(RunReportingFatal([]() -> int { throw std::logic_error("not fatal"); }),
                 std::logic_error);
}

TEST(Notify, WritesToStandardErrorUntilAHandlerTakesOver) {
    testing::internal::CaptureStderr();
    Notify("first", true);
    std::string seen;
    bool seenSerious = false;
    SetNotifyHandler([&](std::string_view text, bool serious) {
        seen = text;
        seenSerious = serious;
    });
    Notify("second", true);
    SetNotifyHandler({});
    Notify("third", false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "first\nthird\n");
    EXPECT_EQ(seen, "second");
    EXPECT_TRUE(seenSerious);
}

} // namespace
} // namespace dm
