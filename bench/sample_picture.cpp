#include "sample_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>

namespace dm::bench {
namespace {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
};

Color Mix(const Color& a, const Color& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
            a.blue + (b.blue - a.blue) * t};
}

// A ridge line at height 0-1 (from the top) for x in 0-1: a few waves of falling size.
class Ridge {
  public:
    Ridge(std::mt19937& random, double base, double roughness) : base_(base) {
        for (Wave& wave : waves_) {
            wave.phase = Unit(random) * 6.283;
        }
        double size = roughness;
        double frequency = 2.0;
        for (Wave& wave : waves_) {
            wave.size = size;
            wave.frequency = frequency;
            size *= 0.55;
            frequency *= 2.1;
        }
    }

    double At(double x) const {
        double height = base_;
        for (const Wave& wave : waves_) {
            height -= wave.size * std::abs(std::sin(x * wave.frequency + wave.phase));
        }
        return height;
    }

    static double Unit(std::mt19937& random) { return random() / 4294967296.0; }

  private:
    struct Wave {
        double phase = 0;
        double size = 0;
        double frequency = 0;
    };
    double base_;
    std::array<Wave, 6> waves_{};
};

uint8_t Byte(double value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

std::shared_ptr<TPixmap> SamplePicture(int width, int height) {
    std::mt19937 random(2024);
    const Ridge far(random, 0.50, 0.10);
    const Ridge near(random, 0.64, 0.10);
    const Ridge shore(random, 0.86, 0.03);
    const Color zenith{20, 60, 150};
    const Color horizon{250, 190, 120};
    const Color sunColor{255, 245, 200};
    const Color farHills{80, 120, 150};
    const Color nearHills{40, 110, 50};
    const Color darkHills{20, 60, 30};
    const Color water{20, 70, 120};
    const Color ground{50, 36, 24};
    const Color wall{225, 215, 190};
    const Color roof{170, 40, 30};
    const double sunX = 0.70;
    const double sunY = 0.30;
    const double sunRadius = 0.05;
    const double horizonLine = 0.68;
    const double aspect = static_cast<double>(width) / height;

    const auto picture = TPixmap::Create(width, height, kPixelFormatRGB888, 4);
    for (int y = 0; y < height; ++y) {
        const double v = (y + 0.5) / height;
        for (int x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width;
            // The sky, with the sun's glow; the lake mirrors it, darker and rippled.
            const double skyV = v < horizonLine ? v : 2 * horizonLine - v;
            const double sunDistance = std::hypot((u - sunX) * aspect, skyV - sunY);
            Color color = Mix(zenith, horizon, std::pow(skyV / horizonLine, 2.0));
            color = Mix(color, sunColor, 0.9 * std::exp(-sunDistance / 0.07));
            if (sunDistance < sunRadius) {
                color = sunColor;
            }
            if (v >= horizonLine) {
                const double ripple = 0.5 + 0.5 * std::sin(v * 900 * (v - horizonLine + 0.05));
                color = Mix(color, water, 0.35 + 0.3 * ripple);
            } else if (v > near.At(u)) {
                color = Mix(nearHills, darkHills, (v - near.At(u)) * 8);
            } else if (v > far.At(u)) {
                color = Mix(farHills, horizon, 0.25);
            }
            if (v > shore.At(u)) {
                color = Mix(ground, Color{30, 20, 12}, (v - 0.86) * 5);
            }
            // A house on the shore: a red roof over a pale wall with two dark windows.
            const double houseU = std::abs(u - 0.26) * aspect;
            if (v > 0.74 && v < 0.80 && houseU < (v - 0.74) * 1.6) {
                color = roof;
            } else if (v >= 0.80 && v < 0.88 && houseU < 0.08) {
                const bool window = v > 0.82 && v < 0.855 && std::abs(houseU - 0.04) < 0.015;
                color = window ? Color{30, 30, 45} : wall;
            }
            const double grain = (Ridge::Unit(random) + Ridge::Unit(random) - 1.0) * 10.0;
            picture->WritePixel(x, y,
                                0xFF000000u | uint32_t{Byte(color.red + grain)} << 16 |
                                    uint32_t{Byte(color.green + grain)} << 8 |
                                    Byte(color.blue + grain));
        }
    }
    return picture;
}

} // namespace dm::bench
