#include "arguments.h"
#include "command.h"
#include "map_output.h"
#include "progress_line.h"
#include "tool_display.h"
#include "tool_output.h"
#include "tool_palette.h"

#include "files/map_limits.h"
#include "picture_art/picture_art.h"
#include "platform/fatal_error.h"
#include "platform/io/paths.h"
#include "platform/pictures/png_codec.h"
#include "render/tileset.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool art IN.png OUT [--columns N] [--glyphs all|blocks|ascii] [--palette PATH]\n"
    "                   [--config PATH] [--background N] [--report]\n\n"
    "Turns a picture into a map drawn with the display's tileset and palette. The picture, a PNG\n"
    "of any kind, is scaled to --columns N cells across (default: its width divided by the\n"
    "glyph width) and as many rows as keep its shape, averaging colours in linear light;\n"
    "transparent pixels lie over the palette colour --background N (default 0). Each cell gets\n"
    "the glyph, foreground and background that render closest to its pixels. --glyphs limits\n"
    "the glyphs"
    " tried to the space, shades and half blocks (blocks) or to the characters 32-126\n"
    "(ascii). OUT is written as convert writes it, told by its extension: .dtm, .xp, .ans or\n"
    ".txt."
    " The tileset and palette come from the display configuration PATH (default:\n"
    "dmdata/graphics.txt beside this program), the palette from --palette PATH when given.\n"
    "--report prints how far the map, rendered as export renders it, lies from the scaled\n"
    "picture: the root mean square difference of a channel in linear light on a scale of 0-255,\n"
    "and the PSNR in dB.\n";

constexpr uint8_t kLastBackground = 254;

struct ArtOptions {
    std::optional<int64_t> columns;
    GlyphSet glyphs = GlyphSet::All;
    uint8_t background = 0;
    OutputFormat format = OutputFormat::Dtm;
};

// A whole number from first to last written in text, if it is one.
std::optional<int64_t> NumberIn(const std::string& text, int64_t first, int64_t last) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < first || value > last) {
        return std::nullopt;
    }
    return value;
}

// The options of valid arguments, or the first one that is unusable.
Expected<ArtOptions> OptionsOf(const Arguments& arguments) {
    ArtOptions options;
    Outcome usable;
    const auto fail = [&usable](const std::string& error) {
        if (usable) {
            usable = Failure{error};
        }
    };
    if (const auto columns = arguments.values.find("--columns");
        columns != arguments.values.end()) {
        options.columns = NumberIn(columns->second, 1, kMaxMapCells);
        if (!options.columns) {
            fail("--columns needs a number of columns from 1 to " + std::to_string(kMaxMapCells));
        }
    }
    if (const auto glyphs = arguments.values.find("--glyphs"); glyphs != arguments.values.end()) {
        const std::optional<GlyphSet> set = GlyphSetNamed(glyphs->second);
        if (!set) {
            fail("--glyphs needs all, blocks or ascii");
        }
        options.glyphs = set.value_or(GlyphSet::All);
    }
    if (const auto index = arguments.values.find("--background"); index != arguments.values.end()) {
        const std::optional<int64_t> background = NumberIn(index->second, 0, kLastBackground);
        if (!background) {
            fail("--background needs a palette index from 0 to " + std::to_string(kLastBackground));
        }
        options.background = static_cast<uint8_t>(background.value_or(0));
    }
    const Expected<OutputFormat> format = OutputFormatOf(arguments.operands[1]);
    if (!format) {
        fail(format.Why());
    }
    options.format = format ? *format : OutputFormat::Dtm;
    if (!usable) {
        return usable.Error();
    }
    return options;
}

std::string Figure(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << value;
    return text.str();
}

void PrintReport(const Art& art, const std::string& glyphs) {
    const double psnr = art.quality.Psnr();
    std::cout << art.map->tmapw << " x " << art.map->tmaph << " cells, glyphs " << glyphs << "\n"
              << "mean error per pixel: " << Figure(art.quality.RootMeanSquare())
              << " (root mean square difference of a channel in linear light, 0-255)\n"
              << "PSNR: " << (std::isinf(psnr) ? "inf" : Figure(psnr)) << " dB\n"
              << std::flush;
}

// Loads the picture at path, given as `shown`; null after saying why.
std::shared_ptr<TPixmap> LoadPicture(const std::string& path, const std::string& shown) {
    std::shared_ptr<TPixmap> picture = LoadPixmap(path);
    if (!picture) {
        PrintError(std::ifstream(path) ? "cannot read " + shown +
                                             " as a picture: it is not a PNG file, is damaged, "
                                             "or has over " +
                                             std::to_string(kPngMaxPixels) + " pixels"
                                       : "cannot open " + shown);
    }
    return picture;
}

int RunArtRequest(const Arguments& arguments, const ArtOptions& options) {
    const std::string& shownInput = arguments.operands[0];
    const Expected<std::string> input = FromCaller(shownInput);
    const Expected<std::string> output = FromCaller(arguments.operands[1]);
    const auto palettePath = arguments.values.find("--palette");
    const auto config = arguments.values.find("--config");
    const Expected<std::string> givenPalette = palettePath == arguments.values.end()
                                                   ? Expected<std::string>(std::string())
                                                   : FromCaller(palettePath->second);
    for (const Expected<std::string>* path : {&input, &output, &givenPalette}) {
        if (!*path) {
            PrintError(path->Why());
            return kExitFailure;
        }
    }
    Display display;
    if (const Outcome opened =
            OpenToolDisplay(config == arguments.values.end() ? "" : config->second, display);
        !opened) {
        PrintError(opened.Why());
        return kExitFailure;
    }
    ToolPalette palette =
        givenPalette->empty() ? ToolPalette(display.palette.planes) : ToolPalette(*givenPalette);

    const std::shared_ptr<TPixmap> picture = LoadPicture(*input, shownInput);
    if (!picture) {
        return kExitFailure;
    }
    Expected<GlyphMasks> masks =
        LoadGlyphMasks(ResourcePath(display.config, ForegroundSheetPath(display.config.tileset)),
                       display.tileset.GlyphWidth, display.tileset.GlyphHeight);
    if (!masks) {
        PrintError(masks.Why());
        return kExitFailure;
    }
    const ArtLook look{std::move(*masks), palette.Planes()};
    ArtRequest request;
    request.columns = options.columns.value_or(std::max(1, picture->width / look.masks.Width()));
    request.rows = ArtRows(picture->width, picture->height, request.columns, look.masks.Width(),
                           look.masks.Height());
    request.glyphs = options.glyphs;
    request.background = options.background;

    ProgressLine progress("converting " + shownInput);
    const Expected<Art> art = MakeArt(
        *picture, look, request, [&progress](int thousandths) { progress.Update(thousandths); });
    progress.Finish();
    if (!art) {
        PrintError(shownInput + " at " + std::to_string(request.columns) +
                   " columns: " + art.Why());
        return kExitFailure;
    }
    if (const Outcome written = WriteMap(*art->map, *output, options.format, palette); !written) {
        PrintError("failed to write " + arguments.operands[1] + ": " + written.Why());
        return kExitFailure;
    }
    if (arguments.flags.count("--report") != 0) {
        PrintReport(*art, arguments.values.count("--glyphs") != 0 ? arguments.values.at("--glyphs")
                                                                  : "all");
    }
    return kExitSuccess;
}

int RunArt(const std::vector<std::string>& args) {
    Expected<Arguments> arguments = ParseArguments(
        args, 2, {"--report"}, {"--columns", "--glyphs", "--palette", "--config", "--background"});
    Expected<ArtOptions> options = ArtOptions{};
    if (arguments && !arguments->help) {
        options = OptionsOf(*arguments);
        if (!options) {
            arguments = options.Error();
        }
    }
    if (const auto status = FinishEarly(kUsage, arguments)) {
        return *status;
    }
    return RunReportingFatal([&] { return RunArtRequest(*arguments, *options); });
}

} // namespace

Command ArtCommand() {
    return {"art", "turn a picture into a map of glyphs with the display's tileset and palette",
            kUsage, RunArt};
}

} // namespace dm::dtmtool
