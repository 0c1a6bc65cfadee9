#include "kestrix/toolbar.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "kestrix/frame.h"

using namespace kestrix;

namespace {

long count_kind(const ToolbarLayout& l, ToolbarItemKind kind) {
    return std::count_if(l.items.begin(), l.items.end(), [&](const ToolbarItem& i) { return i.kind == kind; });
}

long main_row_items(const ToolbarLayout& l) {
    return std::count_if(l.items.begin(), l.items.end(), [](const ToolbarItem& i) { return i.rect.y < 48; });
}

const Rect DESKTOP{0, 0, 1920, 1080};

}  // namespace

TEST(ToolbarLayout, MainRowHasSixteenButtonsOrSeventeenWithSend) {
    const ToolbarLayout plain = layout_toolbar(std::nullopt, false, 100);
    EXPECT_EQ(main_row_items(plain), 16);
    EXPECT_EQ(plain.items.size(), 16u);
    EXPECT_EQ(count_kind(plain, ToolbarItemKind::Send), 0);
    EXPECT_EQ(plain.main_panel, (Box{0, 0, 651, 48}));
    EXPECT_FALSE(plain.property_panel);
    EXPECT_EQ(plain.height, 48.0);
    EXPECT_EQ(plain.width, 651.0);
    ASSERT_EQ(plain.separators.size(), 2u);
    EXPECT_EQ(plain.separators[0], (ToolbarSeparator{399, 12, 24}));
    // The tools in toolbar order, each item carrying its tool.
    for (size_t i = 0; i < TOOLBAR_TOOLS.size(); ++i) {
        EXPECT_EQ(plain.items[i].kind, ToolbarItemKind::Tool);
        EXPECT_EQ(plain.items[i].index, uint8_t(TOOLBAR_TOOLS[i])) << i;
        EXPECT_EQ(plain.items[i].rect, (Box{8 + 39.0 * double(i), 8, 32, 32})) << i;
    }
    EXPECT_EQ(plain.items[3].index, uint8_t(Tool::Line));
    EXPECT_EQ(plain.items[7].index, uint8_t(Tool::Redact));
    EXPECT_EQ(plain.items[10].kind, ToolbarItemKind::Undo);
    EXPECT_EQ(plain.items[10].rect, (Box{407, 8, 32, 32}));
    EXPECT_EQ(plain.items.back().kind, ToolbarItemKind::Copy);
    EXPECT_EQ(plain.items.back().rect, (Box{611, 8, 32, 32}));

    const ToolbarLayout send = layout_toolbar(std::nullopt, true, 100);
    EXPECT_EQ(main_row_items(send), 17);
    EXPECT_EQ(send.main_panel.width, 690.0);
    const auto s = std::find_if(send.items.begin(), send.items.end(),
                                [](const ToolbarItem& i) { return i.kind == ToolbarItemKind::Send; });
    ASSERT_NE(s, send.items.end());
    EXPECT_EQ((s - 1)->kind, ToolbarItemKind::Pin);
    EXPECT_EQ((s + 1)->kind, ToolbarItemKind::Save);
}

TEST(ToolbarLayout, PropertyRowHoldsWhatTheToolHas) {
    const ToolbarLayout pen = layout_toolbar(Tool::Pen, false, 100);
    EXPECT_EQ(count_kind(pen, ToolbarItemKind::Colour), 8);
    EXPECT_EQ(count_kind(pen, ToolbarItemKind::Size), 3);
    ASSERT_TRUE(pen.property_panel);
    EXPECT_EQ(*pen.property_panel, (Box{0, 55, 415, 48}));
    EXPECT_EQ(pen.height, 103.0);
    EXPECT_EQ(pen.width, 651.0) << "the wider of the two panels";
    EXPECT_EQ(pen.items[16].rect, (Box{8, 63, 28, 32}));
    EXPECT_EQ(pen.separators.size(), 3u);
    for (Tool t : {Tool::Line, Tool::Highlighter, Tool::Rectangle, Tool::Number}) {
        const ToolbarLayout l = layout_toolbar(t, false, 100);
        EXPECT_EQ(*l.property_panel, *pen.property_panel) << int(t);
        EXPECT_EQ(count_kind(l, ToolbarItemKind::TextBackground), 0) << int(t);
    }

    const ToolbarLayout mosaic = layout_toolbar(Tool::Mosaic, false, 100);
    EXPECT_EQ(count_kind(mosaic, ToolbarItemKind::Colour), 0);
    EXPECT_EQ(count_kind(mosaic, ToolbarItemKind::Size), 3);
    EXPECT_EQ(*mosaic.property_panel, (Box{0, 55, 126, 48}));
    EXPECT_EQ(mosaic.items[16].rect, (Box{8, 63, 32, 32}));
    EXPECT_EQ(mosaic.items.back().index, 2);
    EXPECT_EQ(mosaic.separators.size(), 2u) << "no break before the first group";

    // A redaction has a colour and no size.
    const ToolbarLayout redact = layout_toolbar(Tool::Redact, false, 100);
    EXPECT_EQ(count_kind(redact, ToolbarItemKind::Colour), 8);
    EXPECT_EQ(count_kind(redact, ToolbarItemKind::Size), 0);
    EXPECT_EQ(*redact.property_panel, (Box{0, 55, 289, 48}));
    EXPECT_EQ(redact.separators.size(), 2u);

    // Text: colours, sizes, and after a third break the background switch.
    const ToolbarLayout text = layout_toolbar(Tool::Text, false, 100);
    EXPECT_EQ(count_kind(text, ToolbarItemKind::TextBackground), 1);
    EXPECT_EQ(text.items.back().kind, ToolbarItemKind::TextBackground);
    EXPECT_EQ(text.items.back().rect, (Box{423, 63, 32, 32}));
    EXPECT_EQ(*text.property_panel, (Box{0, 55, 463, 48}));
    EXPECT_EQ(text.separators.size(), 4u);
    EXPECT_EQ(text.separators.back(), (ToolbarSeparator{415, 67, 24}));
}

TEST(ToolbarPlacement, BelowAboveOrInsideTheSelection) {
    const ToolbarLayout l = layout_toolbar(std::nullopt, false, 100);
    EXPECT_EQ(place_toolbar(l, {700, 100, 400, 300}, DESKTOP), (ToolbarPosition{449, 410}));
    // Near the bottom: above the selection.
    EXPECT_EQ(place_toolbar(l, {1000, 900, 400, 150}, DESKTOP), (ToolbarPosition{749, 842}));
    // As tall as the desktop: inside, just above the lower edge.
    EXPECT_EQ(place_toolbar(l, DESKTOP, DESKTOP), (ToolbarPosition{1269, 1022}));
    // Narrow selection at the left edge: the toolbar stays on the desktop.
    EXPECT_EQ(place_toolbar(l, {0, 0, 50, 50}, DESKTOP), (ToolbarPosition{0, 60}));
    // A desktop starting left of the primary monitor.
    const Rect wide{-1280, 0, 3200, 1080};
    EXPECT_EQ(place_toolbar(l, {-1280, 100, 100, 100}, wide), (ToolbarPosition{-1280, 210}));
    // Fractional sizes are rounded up.
    ToolbarLayout odd = l;
    odd.height = 47.2;
    EXPECT_EQ(place_toolbar(odd, {1000, 1022, 100, 10}, DESKTOP).y, 1022 - 48 - 10);
}

TEST(ToolbarPlacement, OnTheMonitorShowingMostOfTheSelection) {
    const ToolbarLayout l = layout_toolbar(std::nullopt, false, 100);
    // A 1920 x 1080 primary and a 1280 x 1024 monitor at (-1280, 200). The whole
    // primary selected: inside its lower edge, not below it at (1269, 1090) where
    // the desktop's box reaches but no monitor shows.
    const std::vector<Monitor> offset{{1, {0, 0, 1920, 1080}, 100, 100, true},
                                      {2, {-1280, 200, 1280, 1024}, 100, 100, false}};
    const Rect primary{0, 0, 1920, 1080};
    EXPECT_EQ(place_toolbar(l, primary, *monitor_of(offset, primary)), (ToolbarPosition{1269, 1022}));
    // The test display: a 1280 x 1024 monitor left of the primary. A selection ending
    // at y 985 on the left monitor has no room below on that monitor: above it.
    const std::vector<Monitor> test_display{{1, {0, 0, 1920, 1080}, 100, 100, true},
                                            {2, {-1280, 0, 1280, 1024}, 100, 100, false}};
    const Rect low{-1000, 700, 400, 285};
    EXPECT_EQ(place_toolbar(l, low, *monitor_of(test_display, low)), (ToolbarPosition{-1251, 642}));
    // Where the result was on a monitor already, nothing changes.
    const Rect middle{200, 150, 700, 300};
    EXPECT_EQ(place_toolbar(l, middle, *monitor_of(test_display, middle)),
              place_toolbar(l, middle, virtual_desktop(test_display)));
}

TEST(ToolbarHit, ItemsAndPanelsRelativeToThePosition) {
    const ToolbarLayout l = layout_toolbar(Tool::Rectangle, true, 100);
    const ToolbarPosition at{100, 200};
    const auto first = toolbar_item_at(l, at, 108, 208);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, ToolbarItemKind::Tool);
    EXPECT_EQ(first->index, 0);
    EXPECT_FALSE(toolbar_item_at(l, at, 140, 208)) << "right edge excluded: the gap between buttons";
    EXPECT_TRUE(toolbar_contains(l, at, 140, 208));
    const auto swatch = toolbar_item_at(l, at, 100 + 8 + 35 * 3, 200 + 63);
    ASSERT_TRUE(swatch);
    EXPECT_EQ(swatch->kind, ToolbarItemKind::Colour);
    EXPECT_EQ(swatch->index, 3);
    EXPECT_FALSE(toolbar_contains(l, at, 100 + 500, 200 + 60)) << "beside the narrower property panel";
    EXPECT_FALSE(toolbar_contains(l, at, 100, 200 + 50)) << "between the two panels";
    EXPECT_FALSE(toolbar_contains(l, at, 99, 200));
}
