#include "platform/debug_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(DebugOutput, HookReceivesLinesAndRemovingItRestoresTheLog)
{
    std::vector<std::string> lines;
    pelund::setDebugOutputHook([&](std::string_view line) { lines.emplace_back(line); });
    pelund::debugOutput("first line");
    pelund::debugOutput("");
    pelund::setDebugOutputHook({});
    pelund::debugOutput("goes to the system log, or is dropped");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "first line");
    EXPECT_EQ(lines[1], "");
}

TEST(DebugOutput, ThrowingHookDoesNotEscape)
{
    pelund::setDebugOutputHook([](std::string_view) { throw std::runtime_error("x"); });
    EXPECT_NO_THROW(pelund::debugOutput("line"));
    pelund::setDebugOutputHook({});
}
