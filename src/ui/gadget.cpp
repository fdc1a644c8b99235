#include "ui/gadget.h"

#include "ui/interface_text.h"
#include "ui/label_layout.h"
#include "ui/mouse_state.h"

namespace dm {

namespace {

constexpr uint8_t kCornerTopLeft = 214;
constexpr uint8_t kCornerTopRight = 183;
constexpr uint8_t kCornerBottomLeft = 211;
constexpr uint8_t kCornerBottomRight = 189;
constexpr uint8_t kSide = 186;
constexpr uint8_t kRowLeft = 91;
constexpr uint8_t kRowRight = 93;
constexpr uint8_t kBlank = 0;
constexpr uint8_t kCheckMark = 251;

} // namespace

std::shared_ptr<gadget> gadget::Create(int32_t kind, const std::string& title, int32_t x, int32_t y,
                                       int32_t w, int32_t h,
                                       const std::shared_ptr<gadget>& parent) {
    auto made = std::make_shared<gadget>();
    made->kind = kind;
    made->title = title;
    made->x = x;
    made->y = y;
    made->w = w;
    made->h = h;
    if (parent) {
        parent->child.push_back(made);
    }
    return made;
}

std::shared_ptr<gadget> gadget::CreateWindow(const std::string& title, int32_t x, int32_t y,
                                             int32_t w, int32_t h,
                                             const std::shared_ptr<gadget>& parent) {
    return Create(WINDOW, title, x, y, w, h, parent);
}

std::shared_ptr<gadget> gadget::CreateLabel(const std::string& title, int32_t x, int32_t y,
                                            int32_t w, int32_t h,
                                            const std::shared_ptr<gadget>& parent) {
    return Create(LABEL, title, x, y, w, h, parent);
}

std::shared_ptr<gadget> gadget::CreateCheckbox(const std::string& title, int32_t x, int32_t y,
                                               const std::shared_ptr<gadget>& parent) {
    return Create(CHECKBOX, title, x, y, 0, 0, parent);
}

void gadget::DrawFrame(tilemap& tm, int32_t a, int32_t b) const {
    const int32_t right = a + w - 1;
    if (h == 1) {
        tm.SetTile(a, b, kRowLeft, bordercolor, bgcolor, 0);
        tm.SetTile(right, b, kRowRight, bordercolor, bgcolor, 0);
        return;
    }
    const int32_t bottom = b + h - 1;
    tm.SetTile(a, b, kCornerTopLeft, bordercolor, bgcolor, 0);
    tm.SetTile(right, b, kCornerTopRight, bordercolor, bgcolor, 0);
    tm.SetTile(a, bottom, kCornerBottomLeft, bordercolor, bgcolor, 0);
    tm.SetTile(right, bottom, kCornerBottomRight, bordercolor, bgcolor, 0);
    if (h > 2) {
        tm.SetTiles(a, b + 1, 1, h - 2, kSide, bordercolor, bgcolor, 0);
        tm.SetTiles(right, b + 1, 1, h - 2, kSide, bordercolor, bgcolor, 0);
    }
}

void gadget::DrawTitle(tilemap& tm, int32_t a, int32_t b) {
    switch (kind) {
    case WINDOW:
        if (w > 2) {
            tm.SetTiles(a + 1, b, w - 2, 1, kBlank, bordercolor, bordercolor, 0);
        }
        if (w > 4) {
            WriteText(tm, a + 2, b, title.substr(0, static_cast<size_t>(w - 4)), TextColor, 255);
        }
        break;
    case LABEL: {
        const std::vector<std::string> rows = LabelRows(title, w, h);
        for (size_t row = 0; row < rows.size(); ++row) {
            WriteText(tm, a, b + static_cast<int32_t>(row), rows[row], TextColor, bgcolor);
        }
        break;
    }
    case CHECKBOX: {
        tm.SetTile(a, b, static_cast<uint8_t>((state * kCheckMark) & 255), TextColor, bgcolor, 0);
        WriteText(tm, a + 2, b, title, TextColor, 255);
        const MouseState& mouse = Mouse();
        if (mouse.mousecellx == a && mouse.mousecelly == b && mouse.mousereleased[0]) {
            state = state == 0 ? 1 : 0;
        }
        break;
    }
    case BUTTON:
        WriteText(tm, a, b, title, TextColor, 255);
        break;
    default:
        break;
    }
}

int32_t gadget::draw(tilemap& tm, int32_t ox, int32_t oy) {
    if (hidden != 0) {
        return 0;
    }
    const int32_t a = ox + x;
    const int32_t b = oy + y;
    if (kind == WINDOW) {
        DrawFrame(tm, a, b);
    }
    if (!title.empty()) {
        DrawTitle(tm, a, b);
    }
    for (const std::shared_ptr<gadget>& each : child) {
        each->draw(tm, a, b);
    }
    return 0;
}

std::shared_ptr<gadget> DrawWindow(tilemap& map, const std::string& title, int32_t x, int32_t y,
                                   int32_t w, int32_t h) {
    std::shared_ptr<gadget> window = gadget::CreateWindow(title, x, y, w, h, nullptr);
    window->draw(map, 0, 0);
    return window;
}

std::shared_ptr<gadget> DrawLabel(tilemap& map, const std::string& title, int32_t x, int32_t y,
                                  int32_t w, int32_t h) {
    std::shared_ptr<gadget> label = gadget::CreateLabel(title, x, y, w, h, nullptr);
    label->draw(map, 0, 0);
    return label;
}

} // namespace dm
