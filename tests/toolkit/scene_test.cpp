// A panel-like scene drawn through the whole toolkit and written as a picture, so that
// a person can see what the drawing looks like.
#include <gtest/gtest.h>

#include <cstdio>

#include "back_buffer.h"
#include "drawing_fixture.h"
#include "image.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;

constexpr int kFrame = 42;
constexpr int kFrames = 8;
constexpr Color kNavy{0, 15, 67, 255};
constexpr Color kPanel{96, 100, 108, 255};

// A knob strip: frames of a ring lit from the minimum to the value, on a white key.
CImage* knobStrip() {
    auto* strip = new CImage(kFrame, kFrame * kFrames);
    CBackBuffer paint(nullptr, strip, true);
    paint.setBrushColor(colorWhite);
    paint.fillRectInterior({-1, -1, kFrame, kFrame * kFrames});
    for (int f = 0; f < kFrames; ++f) {
        paint.offset = {0, f * kFrame};
        paint.setBrushColor(Color{40, 40, 46, 255});
        paint.fillEllipseInterior({4, 4, 37, 37});
        paint.setStrokeColor(Color{20, 20, 24, 255});
        paint.strokeEllipse({4, 4, 37, 37});
        paint.setPenWidth(3);
        paint.setStrokeColor(colorYellow);
        const float start = 225.0f, sweep = 270.0f * float(f) / float(kFrames - 1);
        if (f > 0) paint.strokeArcByAngles({7, 7, 34, 34}, start - sweep, start);
        paint.setPenWidth(1);
        paint.setStrokeColor(colorWhite);
        paint.movePenTo({20, 20});
        paint.drawLineTo({20, 9});
    }
    return strip;
}

TEST(DrawingScene, PanelOfBoxesTextKnobsAndShapes) {
    TestWindow window(352, 262);
    TestFrame frame;
    frame.window = &window;
    CPaintContext screen(&frame, nullptr, &window);
    CBackBuffer buffer(&frame, 352, 262, colorBlack);

    // The panel and two framed groups.
    buffer.setBrushColor(kPanel);
    buffer.fillRectInterior({-1, -1, 352, 262});
    buffer.setStrokeColor(Color{200, 200, 210, 255});
    buffer.strokeRect({8, 8, 170, 250});
    buffer.setLinePattern(kLinePatternDotted);
    buffer.strokeRect({180, 8, 344, 120});
    buffer.setLinePattern(kLinePatternSolid);
    buffer.selectFont(0);
    buffer.setTextColor(colorWhite);
    buffer.drawText("Oscillator", {16, 12, 160, 28}, false, alignLeft);
    buffer.drawText("LFO", {180, 12, 344, 28}, false, alignCenter);

    // Knobs from the strip, keyed onto the panel, with value boxes under them.
    CImage* strip = knobStrip();
    pf::Library* library = lookUpOptionalBlendFunctions();
    const char* values[] = {"0.00", "25.0 %", "1.2 kHz", "-6.0 dB"};
    for (int i = 0; i < 4; ++i) {
        const int x = 20 + (i % 2) * 75, y = 40 + (i / 2) * 100;
        strip->drawImageKeyed(buffer, {x, y, x + kFrame, y + kFrame}, {0, (i * 2 + 1) * kFrame});
        buffer.setBrushColor(kNavy);
        buffer.fillRectInterior({x - 6, y + 48, x + 48, y + 62});
        buffer.selectFont(6);
        buffer.drawText(values[i], {x - 6, y + 48, x + 48, y + 62}, true, alignCenter);
    }
    // Shapes in the second group.
    buffer.setBrushColor(colorRed);
    buffer.fillEllipseInterior({190, 40, 230, 80});
    buffer.setStrokeColor(colorWhite);
    buffer.strokeEllipse({190, 40, 230, 80});
    buffer.setBrushColor(colorCyan);
    buffer.fillPie({240, 40, 280, 80}, {280, 60}, {260, 40});
    const Point triangle[] = {{290, 80}, {310, 40}, {330, 80}};
    buffer.setBrushColor(colorGreen);
    buffer.fillPolygonInterior(triangle, 3);
    buffer.selectFont(4);
    buffer.drawText("Version 1.1.0", {180, 90, 344, 110}, false, alignRight);
    // A blended overlay and the whole buffer to the window in one copy.
    CImage overlay(120, 40);
    {
        CBackBuffer paint(nullptr, &overlay, true);
        paint.setBrushColor(colorBlue);
        paint.fillRectInterior({-1, -1, 120, 40});
        paint.selectFont(2);
        paint.setTextColor(colorWhite);
        paint.drawText("blended", {0, 0, 120, 40}, false, alignCenter);
    }
    overlay.drawImageBlended(buffer, {200, 180, 320, 220}, {0, 0}, 160);
    buffer.copyRectTo(screen, {0, 0, 352, 262}, {0, 0});

    EXPECT_EQ(screen.getPixelAt({100, 5}), (Color{96, 100, 108, 255}));
    EXPECT_FALSE(saveTestImage(window.surface(), "").empty());
    strip->release();
    pf::freeLibrary(library);
    optionalBlendFunctions() = {};
}

}  // namespace
