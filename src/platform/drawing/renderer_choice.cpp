#include "platform/drawing/renderer_choice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace dm {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

} // namespace

Expected<RendererRequest> ParseRendererRequest(const char* value) {
    const std::string name = Lower(value ? value : "");
    if (name.empty()) {
        return RendererRequest::Automatic;
    }
    if (name == "opengl") {
        return RendererRequest::OpenGl;
    }
    if (name == "software") {
        return RendererRequest::Software;
    }
    return Failure{std::string(kRendererVariable) + " is '" + value +
                   "'; it can be 'opengl' or 'software', or unset to choose by the machine"};
}

bool IsSoftwareOpenGl(std::string_view rendererName) {
    // Mesa's rasterisers on the processor, and the name its oldest one gives itself.
    static constexpr std::array<std::string_view, 4> kSoftware = {"llvmpipe", "softpipe", "swrast",
                                                                  "software rasterizer"};
    const std::string name = Lower(rendererName);
    return std::any_of(kSoftware.begin(), kSoftware.end(), [&name](std::string_view software) {
        return name.find(software) != std::string::npos;
    });
}

Expected<PresentPath> ChoosePresentPath(RendererRequest request,
                                        const std::optional<std::string_view>& glRenderer,
                                        std::string_view glFailure) {
    switch (request) {
    case RendererRequest::Software:
        return PresentPath::Software;
    case RendererRequest::OpenGl:
        if (!glRenderer) {
            return Failure{"OpenGL, which " + std::string(kRendererVariable) +
                           " asks for, could not start: " + std::string(glFailure)};
        }
        return PresentPath::OpenGl;
    case RendererRequest::Automatic:
        break;
    }
    return glRenderer && !IsSoftwareOpenGl(*glRenderer) ? PresentPath::OpenGl
                                                        : PresentPath::Software;
}

} // namespace dm
