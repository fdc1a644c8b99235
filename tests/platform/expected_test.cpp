#include "platform/expected.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace dm {
namespace {

Expected<int> Half(int n) {
    if (n % 2 != 0) {
        return Failure{std::to_string(n) + " is odd"};
    }
    return n / 2;
}

TEST(Expected, HoldsAValueOrTheFailureThatPreventedIt) {
    const Expected<int> half = Half(8);
    ASSERT_TRUE(half);
    EXPECT_EQ(*half, 4);

    const Expected<int> odd = Half(7);
    ASSERT_FALSE(odd);
    EXPECT_FALSE(odd.HasValue());
    EXPECT_EQ(odd.Why(), "7 is odd");
}

TEST(Expected, MovesOutValuesThatCannotBeCopied) {
    Expected<std::unique_ptr<std::string>> made = std::make_unique<std::string>("cells");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->get()->size(), 5u);
    const std::unique_ptr<std::string> taken = std::move(made).Value();
    EXPECT_EQ(*taken, "cells");
}

TEST(Expected, OutcomeWithoutAValueIsSuccessUnlessGivenAFailure) {
    const Outcome done;
    EXPECT_TRUE(done);
    const Outcome refused = Failure{"Permission denied"};
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Why(), "Permission denied");
}

} // namespace
} // namespace dm
