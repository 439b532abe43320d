// What the view, container and frame tests share: views that note what happens to them,
// an editor double for the frame, and a host window on the headless screen.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "back_buffer.h"
#include "editor_base.h"
#include "effect_base_ex.h"
#include "frame.h"
#include "frame_editor.h"
#include "headless.h"
#include "image.h"
#include "paint_context.h"
#include "pixel_test.h"
#include "recording_host.h"
#include "view.h"
#include "view_container.h"
#include "windowing.h"

namespace orbitone::testing {

using Log = std::vector<std::string>;

inline std::string pointText(Point p) { return std::to_string(p.h) + "," + std::to_string(p.v); }

// A view that fills its bounds with one colour and notes every event in a log.
class Probe : public CView {
public:
    Probe(const Rect& size, std::string name, Log* log, Color fill = colorRed)
        : CView(size), name(std::move(name)), log(log), fill(fill) {}

    void paint(CPaintContext* context) override {
        note("paint");
        context->setBrushColor(fill);
        context->setStrokeColor(fill);
        context->fillRectInterior(bounds);
        context->strokeRect({bounds.left, bounds.top, bounds.right - 1, bounds.bottom - 1});
        CView::paint(context);
    }
    void onMouseDown(CPaintContext* context, Point where, std::int32_t buttons) override {
        note("down " + pointText(where) + " buttons " + std::to_string(buttons));
        if (onDown) onDown(context, where);
    }
    std::int32_t onKeyPress(EditorKeyRecord& key) override {
        note("key");
        return keyAnswer;
    }
    std::int32_t onKeyRelease(EditorKeyRecord& key) override {
        note("keyUp");
        return keyAnswer;
    }
    bool onWheelTurn(CPaintContext*, Point where, float distance) override {
        char text[64];
        std::snprintf(text, sizeof text, "wheel %s %g", pointText(where).c_str(), double(distance));
        note(text);
        return true;
    }
    bool onDropItems(CPaintContext*, CDropPayload*, Point where) override {
        note("drop " + pointText(where));
        return true;
    }
    void onDragEntering(CPaintContext*, CDropPayload*, Point where) override { note("enter " + pointText(where)); }
    void onDragLeaving(CPaintContext*, CDropPayload*, Point) override { note("leave"); }
    void onDragMoving(CPaintContext*, CDropPayload*, Point where) override { note("move " + pointText(where)); }
    void onFocusLost(CPaintContext* context) override { note(context ? "focusLost context" : "focusLost"); }
    void onFocusGained(CPaintContext*) override { note("focusGained"); }
    bool onRemovedFrom(CView*) override {
        note("removed");
        return true;
    }
    bool onAddedTo(CView*) override {
        note("added");
        return true;
    }
    ~Probe() override { note("destroyed"); }

    std::string name;
    Log* log;
    Color fill;
    std::int32_t keyAnswer = -1;
    std::function<void(CPaintContext*, Point)> onDown;

private:
    void note(const std::string& what) {
        if (log != nullptr) log->push_back(name + " " + what);
    }
};

// The frame's editor: notes what the frame asks of it; its effect reaches a recording host.
class RecordingFrameEditor : public FrameEditor {
public:
    explicit RecordingFrameEditor(Log* log = nullptr) : log(log) {}

    void idleWhileTracking() override {
        ++idles;
        note("idleWhileTracking");
        // As the editor does: a drag loop costs some time on each pass.
        platform::sleepMilliseconds(4);
    }
    void notifyEditBegin(std::int32_t index) override { note("editBegin " + std::to_string(index)); }
    void notifyEditEnd(std::int32_t index) override { note("editEnd " + std::to_string(index)); }
    EffectBaseEx* getFrameEffect() override { return &effect; }

    Log* log;
    RecordingHost host;
    EffectBaseEx effect{host.proc(), 1, 1};
    int idles = 0;

private:
    void note(const std::string& what) {
        if (log != nullptr) log->push_back("editor " + what);
    }
};

inline constexpr Rect kPanel{0, 0, 352, 262};

// A fresh headless screen with a captioned, framed host window at (100, 50), whose
// client area (and so the frame's window) starts at (103, 71) on the screen.
class HeadlessScreen : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::reset();
        host = platform::headless::createHostWindow(
            {"HostClass", "Host", platform::kStyleVisible | platform::kStyleCaption | platform::kStyleDialogFrame,
             {100, 50, 100 + 358, 50 + 262 + 6 + 18}, nullptr, nullptr});
        ASSERT_NE(host, nullptr);
    }
    void TearDown() override { platform::headless::reset(); }

    // Runs one pass of the message loop, after moving the clock on to due input.
    static void pump() { platform::dispatchPendingMessages(); }

    platform::Window* host = nullptr;
    static constexpr platform::PixelPoint kFrameOrigin{103, 71};
};

inline platform::PlatformColor pixelOf(platform::Window* window, std::int32_t x, std::int32_t y) {
    return platform::fromXrgb(window->clientBitmap()->surface().row32(y)[x]);
}

}  // namespace orbitone::testing
