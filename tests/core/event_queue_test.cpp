#include "kestrix/event_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrix {
namespace {

std::vector<uint8_t> contents(EventQueue queue) {
    std::vector<uint8_t> out;
    while (auto code = queue.pop()) out.push_back(*code);
    return out;
}

TEST(EventQueue, FirstInFirstOut) {
    EventQueue queue;
    EXPECT_FALSE(queue.pop());
    for (uint8_t code : {3, 0, 6, 0}) queue.push(code);
    EXPECT_EQ(queue.size(), 4u);
    EXPECT_EQ(contents(queue), (std::vector<uint8_t>{3, 0, 6, 0}));
}

TEST(EventQueue, PurgeDropsOnlyCaptureCommandsAndKeepsTheOrderOfTheRest) {
    EventQueue queue;
    for (uint8_t code : {0, 5, 1, 3, 0, 2, 6, 1, 4}) queue.push(code);
    queue.purge_captures();
    EXPECT_EQ(contents(queue), (std::vector<uint8_t>{5, 3, 2, 6, 4}));

    // The other modes, the delays and another copy's request are captures too.
    EventQueue modes;
    for (uint8_t code : {7, 3, 8, 9, 10, 11, 12, 13, 6, 14}) modes.push(code);
    modes.purge_captures();
    EXPECT_EQ(contents(modes), (std::vector<uint8_t>{3, 6, 14}));

    EventQueue only_captures;
    for (uint8_t code : {1, 0, 0}) only_captures.push(code);
    only_captures.purge_captures();
    EXPECT_TRUE(only_captures.empty());
}

TEST(EventQueue, DrainHandsEventsOverOneAtATimeAndStopsAtQuit) {
    EventQueue queue;
    for (uint8_t code : {2, 3, 6, 0}) queue.push(code);
    bool in_event = false;
    std::vector<uint8_t> seen;
    const bool quit = queue.drain(in_event, [&](uint8_t code) {
        EXPECT_TRUE(in_event);
        seen.push_back(code);
        return code == 6;
    });
    EXPECT_TRUE(quit);
    EXPECT_FALSE(in_event);
    EXPECT_EQ(seen, (std::vector<uint8_t>{2, 3, 6}));
    // What follows the quit stays queued.
    EXPECT_EQ(contents(queue), (std::vector<uint8_t>{0}));
}

TEST(EventQueue, EventsRaisedInsideTheCallbackWaitForItToReturn) {
    EventQueue queue;
    queue.push(3);  // Settings: its window raises more events while it is open
    bool in_event = false;
    int depth = 0;
    std::vector<uint8_t> seen;
    const bool quit = queue.drain(in_event, [&](uint8_t code) {
        ++depth;
        EXPECT_EQ(depth, 1) << "the callback was re-entered";
        seen.push_back(code);
        if (code == 3) {
            queue.push(0);
            queue.push(5);
            // A nested loop inside the callback may try to drain: nothing happens.
            EXPECT_FALSE(queue.drain(in_event, [&](uint8_t nested) {
                ADD_FAILURE() << "nested drain delivered " << int(nested);
                return true;
            }));
            EXPECT_EQ(queue.size(), 2u);
        }
        --depth;
        return false;
    });
    EXPECT_FALSE(quit);
    EXPECT_EQ(seen, (std::vector<uint8_t>{3, 0, 5}));
    EXPECT_TRUE(queue.empty());
}

TEST(EventQueue, PurgeInsideTheCallbackRemovesCapturesRaisedMeanwhile) {
    // The overlay runs inside a capture event; captures raised while it is open are dropped
    // when it closes, a quit raised meanwhile still arrives.
    EventQueue queue;
    queue.push(0);
    bool in_event = false;
    std::vector<uint8_t> seen;
    const bool quit = queue.drain(in_event, [&](uint8_t code) {
        seen.push_back(code);
        if (seen.size() == 1) {
            queue.push(0);
            queue.push(6);
            queue.push(1);
            queue.purge_captures();
        }
        return code == 6;
    });
    EXPECT_TRUE(quit);
    EXPECT_EQ(seen, (std::vector<uint8_t>{0, 6}));
}

TEST(HotkeyAction, OverlayIgnoresBusyRunsNestedOtherwiseQueues) {
    for (bool capture_hotkey : {true, false}) {
        EXPECT_EQ(hotkey_action({true, false, true, true}, capture_hotkey), HotkeyAction::Ignore);
        EXPECT_EQ(hotkey_action({true, false, false, false}, capture_hotkey), HotkeyAction::Ignore);
        EXPECT_EQ(hotkey_action({false, false, true, true}, capture_hotkey), HotkeyAction::RunNested);
        EXPECT_EQ(hotkey_action({false, false, true, false}, capture_hotkey), HotkeyAction::RaiseCapture);
        EXPECT_EQ(hotkey_action({false, false, false, true}, capture_hotkey), HotkeyAction::RaiseCapture);
    }
}

TEST(HotkeyAction, DuringACountdownOnlyTheCaptureHotkeyActsAndItHurries) {
    // The countdown runs inside an event, nested callback present, so without the rule
    // the press would start a second capture inside the first.
    EXPECT_EQ(hotkey_action({false, true, true, true}, true), HotkeyAction::Hurry);
    EXPECT_EQ(hotkey_action({false, true, true, true}, false), HotkeyAction::Ignore);
    EXPECT_EQ(hotkey_action({false, true, false, false}, true), HotkeyAction::Hurry);
    // Once the countdown is over its overlay is open: nothing hurries it.
    EXPECT_EQ(hotkey_action({true, true, true, true}, true), HotkeyAction::Ignore);
}

}  // namespace
}  // namespace kestrix
