#pragma once

#include "platform/expected.h"

#include <optional>
#include <string_view>

namespace dm {

// How a window's frames reach the screen: drawn by OpenGL, or drawn by the software rasteriser
// and shown as a picture, which is faster where OpenGL itself runs on the processor.
enum class PresentPath { OpenGl, Software };

// The path asked for by the environment variable below, or none in particular.
enum class RendererRequest { Automatic, OpenGl, Software };

inline constexpr const char* kRendererVariable = "DUSKMARCH_RENDERER";

// Reads the variable's value: unset or empty asks for nothing in particular, "opengl" and
// "software" (in any case) for that path; anything else is refused, saying what is accepted.
Expected<RendererRequest> ParseRendererRequest(const char* value);

// Whether an OpenGL renderer, by the name it gives itself, draws on the processor.
bool IsSoftwareOpenGl(std::string_view rendererName);

// The path for a request, given the name of the OpenGL renderer that started, or none when
// OpenGL could not start. Asked for OpenGL, the path is OpenGL whatever draws it, and fails without
// it, saying why OpenGL could not start (glFailure).
Expected<PresentPath> ChoosePresentPath(RendererRequest request,
                                        const std::optional<std::string_view>& glRenderer,
                                        std::string_view glFailure);

} // namespace dm
