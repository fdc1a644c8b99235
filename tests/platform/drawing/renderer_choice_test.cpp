#include "platform/drawing/renderer_choice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace dm {
namespace {

TEST(RendererChoice, TheVariableAsksForAPathOrNoneAndRefusesOtherWords) {
    using R = RendererRequest;
    const std::pair<const char*, R> accepted[] = {
        {nullptr, R::Automatic}, {"", R::Automatic},        {"opengl", R::OpenGl},
        {"OpenGL", R::OpenGl},   {"software", R::Software}, {"SOFTWARE", R::Software},
    };
    for (const auto& [value, request] : accepted) {
        const Expected<RendererRequest> parsed = ParseRendererRequest(value);
        ASSERT_TRUE(parsed) << (value ? value : "unset");
        EXPECT_EQ(*parsed, request) << (value ? value : "unset");
    }
    for (const char* value : {"gl", "vulkan", "software ", "auto"}) {
        const Expected<RendererRequest> parsed = ParseRendererRequest(value);
        ASSERT_FALSE(parsed) << value;
        EXPECT_EQ(parsed.Why(), std::string("DUSKMARCH_RENDERER is '") + value +
                                    "'; it can be 'opengl' or 'software', or unset to choose by "
                                    "the machine");
    }
}

TEST(RendererChoice, OpenGlOnTheProcessorOrNoneAtAllIsShownThroughTheSoftwarePath) {
    using P = PresentPath;
    using R = RendererRequest;
    struct Case {
        R request;
        std::optional<std::string_view> glRenderer;
        P path;
    };
    const Case cases[] = {
        {R::Automatic, "llvmpipe (LLVM 15.0.6, 256 bits)", P::Software},
        {R::Automatic, "softpipe", P::Software},
        {R::Automatic, "Mesa DRI swrast", P::Software},
        {R::Automatic, "Software Rasterizer", P::Software},
        {R::Automatic, std::nullopt, P::Software},
        // A graphics card whose driver is built with LLVM too.
        {R::Automatic, "AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49)", P::OpenGl},
        {R::Automatic, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", P::OpenGl},
        {R::Automatic, "", P::OpenGl},
        {R::OpenGl, "llvmpipe (LLVM 15.0.6, 256 bits)", P::OpenGl},
        {R::Software, "NVIDIA GeForce GTX 1080/PCIe/SSE2", P::Software},
        {R::Software, std::nullopt, P::Software},
    };
    for (const Case& c : cases) {
        const Expected<PresentPath> path = ChoosePresentPath(c.request, c.glRenderer, "no GLX");
        ASSERT_TRUE(path) << c.glRenderer.value_or("(none)");
        EXPECT_EQ(*path, c.path) << c.glRenderer.value_or("(none)");
    }

    const Expected<PresentPath> refused =
        ChoosePresentPath(R::OpenGl, std::nullopt, "Couldn't find matching GLX visual");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Why(), "OpenGL, which DUSKMARCH_RENDERER asks for, could not start: "
                             "Couldn't find matching GLX visual");
}

} // namespace
} // namespace dm
