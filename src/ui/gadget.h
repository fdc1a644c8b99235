#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

namespace dm {

// An element of the text-mode interface written as cells into a map: a window frame with a title
// bar, a word-wrapped label, a button caption or a check box. Children are drawn after their
// parent, placed relative to it.
class gadget {
  public:
    static constexpr uint8_t WINDOW = 0;
    static constexpr uint8_t LABEL = 1;
    static constexpr uint8_t BUTTON = 2;
    static constexpr uint8_t CHECKBOX = 3;

    uint8_t bordercolor = 28;
    uint8_t TextColor = 0;
    uint8_t bgcolor = 255; // 255 keeps the map's background
    int32_t kind = WINDOW;
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    std::list<std::shared_ptr<gadget>> child;
    int32_t hidden = 0;
    std::string title;
    int32_t state = 0; // check box: 0 off, 1 on
    int32_t active = 0;
    std::weak_ptr<gadget> nextactive;

    // New gadgets with the default colours, appended to parent's children when there is one.
    static std::shared_ptr<gadget> CreateWindow(const std::string& title, int32_t x, int32_t y,
                                                int32_t w, int32_t h,
                                                const std::shared_ptr<gadget>& parent);
    static std::shared_ptr<gadget> CreateLabel(const std::string& title, int32_t x, int32_t y,
                                               int32_t w, int32_t h,
                                               const std::shared_ptr<gadget>& parent);
    static std::shared_ptr<gadget> CreateCheckbox(const std::string& title, int32_t x, int32_t y,
                                                  const std::shared_ptr<gadget>& parent);

    // Writes the gadget and its children into tm with its top-left cell at (ox + x, oy + y),
    // never forcing a cell. A check box whose box cell received a left-button release in the
    // current mouse poll toggles after it is drawn. Returns 0.
    int32_t draw(tilemap& tm, int32_t ox, int32_t oy);

  private:
    static std::shared_ptr<gadget> Create(int32_t kind, const std::string& title, int32_t x,
                                          int32_t y, int32_t w, int32_t h,
                                          const std::shared_ptr<gadget>& parent);
    void DrawFrame(tilemap& tm, int32_t a, int32_t b) const;
    void DrawTitle(tilemap& tm, int32_t a, int32_t b);
};

// A window or label drawn straight into the map at (x, y); returns the gadget.
std::shared_ptr<gadget> DrawWindow(tilemap& map, const std::string& title, int32_t x, int32_t y,
                                   int32_t w, int32_t h);
std::shared_ptr<gadget> DrawLabel(tilemap& map, const std::string& title, int32_t x, int32_t y,
                                  int32_t w, int32_t h);

} // namespace dm
