// The paint context's mouse operations with scripted input on the headless screen:
// button state, double clicks and the start of drags.
#include <gtest/gtest.h>

#include "drawing_fixture.h"
#include "test_window.h"
#include "view_fixture.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;
namespace hl = orbitone::platform::headless;

class Mouse : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        frame = new CFrame(kPanel, host, &editor);
        target = new Probe({10, 10, 110, 110}, "target", &log);
        frame->addChild(target);
        pump();
        log.clear();
    }
    void TearDown() override {
        frame->release();
        HeadlessScreen::TearDown();
    }
    static pf::PixelPoint at(std::int32_t x, std::int32_t y) { return {kFrameOrigin.x + x, kFrameOrigin.y + y}; }
    // Runs what the clock has reached, then lets the clock run out the rest of the script.
    void play() {
        pump();
        while (hl::pendingInput() != 0) {
            pf::sleepMilliseconds(1);
            pump();
        }
    }

    Log log;
    RecordingFrameEditor editor;
    CFrame* frame = nullptr;
    Probe* target = nullptr;
};

TEST_F(Mouse, ButtonStateReportsTheUsersButtonsAndTheModifiers) {
    struct Case {
        bool swapped;
        std::vector<hl::Button> buttons;
        std::vector<hl::Modifier> modifiers;
        std::int32_t expected;
    };
    const Case cases[] = {
        {false, {}, {}, 0},
        {false, {hl::Button::Left}, {}, buttonLeft},
        {false, {hl::Button::Middle}, {}, buttonMiddle},
        {false, {hl::Button::Right}, {hl::Modifier::Shift}, buttonRight | modShift},
        {false, {hl::Button::Left, hl::Button::Right}, {hl::Modifier::Control, hl::Modifier::Alt},
         buttonLeft | buttonRight | modControl | modAlt},
        {true, {hl::Button::Right}, {}, buttonLeft},
        {true, {hl::Button::Left}, {hl::Modifier::Shift}, buttonRight | modShift},
        {true, {hl::Button::Middle}, {}, buttonMiddle},
    };
    frame->release();  // the frames' window class is registered anew for each case
    frame = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        hl::setSwapButtons(c.swapped);
        frame = new CFrame(kPanel, host, &editor);
        hl::InputScript input = hl::script();
        for (hl::Button b : c.buttons) input.press(b);
        for (hl::Modifier m : c.modifiers) input.hold(m);
        CPaintContext* context = frame->acquirePaintContext();
        EXPECT_EQ(context->getButtonState(), c.expected);
        context->release();
        hl::InputScript done = hl::script();
        for (hl::Button b : c.buttons) done.release(b);
        for (hl::Modifier m : c.modifiers) done.letGo(m);
        pf::sleepMilliseconds(1);
        frame->release();
    }
    frame = new CFrame(kPanel, host, &editor);
}

TEST_F(Mouse, ASecondPressSoonEnoughAndCloseEnoughIsADoubleClick) {
    struct Case {
        const char* name;
        std::uint32_t secondAfter;  // ms after the first press
        pf::PixelPoint movedBy;     // before the second press
        std::uint32_t handledLate;  // ms the first press waits before it is handled
        bool doubleClick;
        std::uint32_t returnsAfter;  // ms after the first press
    };
    const Case cases[] = {
        {"in time", 200, {0, 0}, 0, true, 200},
        {"within the box", 200, {-2, 1}, 0, true, 200},
        {"too late", 600, {0, 0}, 0, false, 500},
        {"moved right", 200, {2, 0}, 0, false, 100},
        {"moved up", 200, {0, -3}, 0, false, 100},
        {"first press handled too late", 200, {0, 0}, 500, false, 500},
    };
    // Only the first press of each case is asked about; later ones also reach the view.
    std::optional<bool> answer;
    std::uint32_t returnedAt = 0;
    target->onDown = [&](CPaintContext* context, Point) {
        if (answer) return;
        answer = context->awaitSecondClick();
        returnedAt = hl::now();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        answer.reset();
        log.clear();
        const std::uint32_t start = hl::now() + 10;
        hl::InputScript input(start);
        input.moveTo(at(50, 50)).press(hl::Button::Left).after(20).release(hl::Button::Left);
        if (c.movedBy.x != 0 || c.movedBy.y != 0) input.at(start + 100).moveTo(at(50 + c.movedBy.x, 50 + c.movedBy.y));
        input.at(start + c.secondAfter).press(hl::Button::Left).after(20).release(hl::Button::Left);
        hl::advanceClock(10 + c.handledLate);
        pump();
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(*answer, c.doubleClick);
        EXPECT_EQ(returnedAt - start, c.returnsAfter);
        play();
        // The second press of a double click is taken; any other reaches the view.
        EXPECT_EQ(log.size(), c.doubleClick ? 1u : 2u);
    }
}

TEST_F(Mouse, TheDoubleClickTimeIsTheSystems) {
    hl::setDoubleClickTime(250);
    std::optional<bool> answer;
    target->onDown = [&](CPaintContext* context, Point) { answer = context->awaitSecondClick(); };
    hl::script().moveTo(at(50, 50)).press(hl::Button::Left).after(10).release(hl::Button::Left).after(290).click(at(50, 50));
    pump();
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(*answer);
    play();
}

TEST_F(Mouse, ADragStartsWhenTheCursorLeavesTheBoxWhileTheButtonIsHeld) {
    struct Case {
        const char* name;
        pf::PixelPoint movedBy;
        std::uint32_t moveAfter, releaseAfter;
        bool drag;
    };
    const Case cases[] = {
        {"moved right", {3, 0}, 40, 100, true},
        {"moved up", {0, -3}, 40, 100, true},
        {"moved one pixel", {1, 1}, 20, 60, false},
        {"released in place", {0, 0}, 0, 40, false},
        {"released before moving", {5, 5}, 60, 40, false},
    };
    std::optional<bool> answer;
    target->onDown = [&](CPaintContext* context, Point) { answer = context->awaitDragStart(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        answer.reset();
        editor.idles = 0;
        const std::uint32_t start = hl::now();
        hl::InputScript input(start);
        input.moveTo(at(50, 50)).press(hl::Button::Left);
        if (c.moveAfter != 0) input.at(start + c.moveAfter).moveTo(at(50 + c.movedBy.x, 50 + c.movedBy.y));
        input.at(start + c.releaseAfter).release(hl::Button::Left);
        pump();
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(*answer, c.drag);
        // The editor idled (4 ms a pass) until the move or the release.
        EXPECT_GT(editor.idles, 0);
        EXPECT_EQ(hl::now() - start, c.drag ? c.moveAfter : c.releaseAfter);
        play();
    }
}

TEST_F(Mouse, WithoutAFrameThereIsNoDragToWaitFor) {
    hl::script().press(hl::Button::Left).after(100).release(hl::Button::Left);
    TestWindow window(10, 10);
    CPaintContext loose(nullptr, nullptr, &window);
    EXPECT_FALSE(loose.awaitDragStart());
    TestFrame standIn;
    CPaintContext drawingOnly(&standIn, nullptr, &window);
    EXPECT_FALSE(drawingOnly.awaitDragStart());
    play();
}

}  // namespace
