#include "kestrix/toolbar.h"

#include <algorithm>
#include <cmath>

#include "kestrix/ui_scale.h"

namespace kestrix {
namespace {

// Sizes at 100 %; the layout multiplies them by the monitor's scale.
constexpr double PADDING = 8.0;      // panel edge to the first and after the last item
constexpr double GAP = 7.0;          // between items
constexpr double GROUP_BREAK = 9.0;  // extra room where a separator goes
constexpr double ITEM_HEIGHT = 32.0;
constexpr double BUTTON_WIDTH = 32.0;
constexpr double SWATCH_WIDTH = 28.0;
constexpr double PANEL_HEIGHT = 48.0;
constexpr double PROPERTY_ROW_Y = 55.0;
constexpr double SEPARATOR_INSET = 12.0;
constexpr double SEPARATOR_LENGTH = 24.0;
constexpr double SELECTION_GAP = 10.0;  // between the selection and the toolbar
constexpr int SIZE_STEPS = 3;

// Places items left to right along one row. Positions run at 100 % and are
// scaled as they are stored, each edge on a whole pixel, so that a button's
// outline and its active highlight stay sharp at 125 % or 175 % too.
class RowBuilder {
public:
    RowBuilder(ToolbarLayout& layout, double row_y, double scale) : layout_(layout), row_y_(row_y), scale_(scale) {}

    void add(ToolbarItemKind kind, int index, double width) {
        layout_.items.push_back({kind, uint8_t(index), scaled({x_, row_y_ + PADDING, width, ITEM_HEIGHT})});
        x_ += width + GAP;
    }
    void group_break() {
        x_ += GROUP_BREAK;
        const Box line = scaled({x_ - PADDING, row_y_ + SEPARATOR_INSET, 0.0, SEPARATOR_LENGTH});
        layout_.separators.push_back({line.x, line.y, line.height});
    }
    Box panel() const { return scaled({0.0, row_y_, x_ - GAP + PADDING, PANEL_HEIGHT}); }

private:
    double snap(double at_100) const { return std::round(at_100 * scale_); }
    Box scaled(const Box& b) const {
        const double left = snap(b.x), top = snap(b.y);
        return {left, top, snap(b.x + b.width) - left, snap(b.y + b.height) - top};
    }

    ToolbarLayout& layout_;
    double row_y_;
    double scale_;
    double x_ = PADDING;
};

bool in_box(const Box& b, double px, double py) {
    return b.x <= px && px < b.x + b.width && b.y <= py && py < b.y + b.height;
}

}  // namespace

ToolbarLayout layout_toolbar(std::optional<Tool> tool, bool transfer_enabled, uint32_t ui_scale) {
    const double scale = scale_factor(ui_scale);
    ToolbarLayout layout;
    layout.ui_scale = usable_ui_scale(ui_scale);
    RowBuilder main(layout, 0.0, scale);
    for (Tool t : TOOLBAR_TOOLS) main.add(ToolbarItemKind::Tool, int(t), BUTTON_WIDTH);
    main.group_break();
    main.add(ToolbarItemKind::Undo, 0, BUTTON_WIDTH);
    main.group_break();
    main.add(ToolbarItemKind::Backdrop, 0, BUTTON_WIDTH);
    main.add(ToolbarItemKind::Pin, 0, BUTTON_WIDTH);
    if (transfer_enabled) main.add(ToolbarItemKind::Send, 0, BUTTON_WIDTH);
    main.add(ToolbarItemKind::Save, 0, BUTTON_WIDTH);
    main.add(ToolbarItemKind::Cancel, 0, BUTTON_WIDTH);
    main.add(ToolbarItemKind::Copy, 0, BUTTON_WIDTH);
    layout.main_panel = main.panel();
    layout.width = layout.main_panel.width;
    layout.height = layout.main_panel.height;

    if (tool) {
        RowBuilder props(layout, PROPERTY_ROW_Y, scale);
        bool first_group = true;
        const auto next_group = [&] {
            if (!first_group) props.group_break();
            first_group = false;
        };
        if (tool_has_colours(*tool)) {
            next_group();
            for (int c = 0; c < int(PALETTE.size()); ++c) props.add(ToolbarItemKind::Colour, c, SWATCH_WIDTH);
        }
        if (tool_has_sizes(*tool)) {
            next_group();
            for (int s = 0; s < SIZE_STEPS; ++s) props.add(ToolbarItemKind::Size, s, BUTTON_WIDTH);
        }
        if (*tool == Tool::Text) {
            next_group();
            props.add(ToolbarItemKind::TextBackground, 0, BUTTON_WIDTH);
        }
        layout.property_panel = props.panel();
        layout.width = std::max(layout.width, layout.property_panel->width);
        layout.height = layout.property_panel->y + layout.property_panel->height;
    }
    return layout;
}

ToolbarPosition place_toolbar(const ToolbarLayout& layout, const Rect& selection, const Rect& area) {
    const auto gap = int64_t(std::lround(at_scale(SELECTION_GAP, layout.ui_scale)));
    const int64_t tw = int64_t(std::ceil(layout.width));
    const int64_t th = int64_t(std::ceil(layout.height));
    const int64_t sel_bottom = selection.bottom();
    const int64_t area_bottom = area.bottom();

    int64_t y;
    if (sel_bottom + th + gap <= area_bottom) {
        y = sel_bottom + gap;
    } else {
        y = int64_t(selection.y) - th - gap;
        if (y < area.y) y = std::max(int64_t(area.y), sel_bottom - th - gap);
    }
    y = std::max(std::min(y, area_bottom - th), int64_t(area.y));

    int64_t x = selection.right() - tw;
    x = std::max(std::min(x, area.right() - tw), int64_t(area.x));
    return {int32_t(x), int32_t(y)};
}

std::optional<ToolbarItem> toolbar_item_at(const ToolbarLayout& layout, const ToolbarPosition& at, double x,
                                           double y) {
    const double px = x - at.x, py = y - at.y;
    for (const ToolbarItem& item : layout.items)
        if (in_box(item.rect, px, py)) return item;
    return std::nullopt;
}

bool toolbar_contains(const ToolbarLayout& layout, const ToolbarPosition& at, double x, double y) {
    const double px = x - at.x, py = y - at.y;
    return in_box(layout.main_panel, px, py) || (layout.property_panel && in_box(*layout.property_panel, px, py));
}

}  // namespace kestrix
