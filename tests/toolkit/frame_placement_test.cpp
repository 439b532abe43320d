// The frame among the host's windows, with window chains built on the headless screen:
// the outer window search, the host's rectangle, resizing through the host or by hand,
// and windows the host opens for the frame.
#include <gtest/gtest.h>

#include <cstring>

#include "view_fixture.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;
namespace hl = orbitone::platform::headless;

constexpr pf::WindowStyle kVisibleChild = pf::kStyleVisible | pf::kStyleChild;

class Placement : public ::testing::Test {
protected:
    void SetUp() override { hl::reset(); }
    void TearDown() override {
        if (frame != nullptr) frame->release();
        hl::reset();
    }
    // A host window of `className` with the client size given, decorated by `style`.
    pf::Window* hostWindow(const char* className, pf::WindowStyle style, pf::PixelPoint at, pf::PixelSize client,
                           pf::Window* parent) {
        const std::int32_t frameSide = (style & pf::kStyleDialogFrame) ? 3 : 0;
        const std::int32_t caption = (style & pf::kStyleCaption) ? 18 : 0;
        pf::Window* w = hl::createHostWindow({className, "", style,
                                              {at.x, at.y, at.x + client.width + 2 * frameSide,
                                               at.y + client.height + 2 * frameSide + caption},
                                              parent});
        EXPECT_NE(w, nullptr);
        return w;
    }
    CFrame* frameIn(pf::Window* parent) {
        frame = new CFrame(kPanel, parent, &editor);
        return frame;
    }
    static pf::PixelSize sizeOf(pf::Window* w) {
        pf::PixelRect r;
        EXPECT_TRUE(pf::getWindowRect(w, r));
        return {std::int32_t(r.width()), std::int32_t(r.height())};
    }
    std::vector<std::int32_t> hostOpcodes() const {
        std::vector<std::int32_t> opcodes;
        for (const HostCallRecord& call : editor.host.calls) opcodes.push_back(call.opcode);
        return opcodes;
    }

    RecordingFrameEditor editor;
    CFrame* frame = nullptr;
};

// ---------------------------------------------------------------------------------
// Outer window and host rectangle

TEST_F(Placement, TheOuterWindowSearchClimbsTheHostsDecorationUpToACaption) {
    pf::Window* top = hostWindow("Top", pf::kStyleVisible | pf::kStyleCaption | pf::kStyleDialogFrame, {100, 50},
                                 {400, 270}, nullptr);
    pf::Window* dialog = hostWindow("Dialog", kVisibleChild | pf::kStyleDialogFrame, {20, 30}, {352, 262}, top);
    frameIn(dialog);
    std::int32_t x = -1, y = -1;
    ASSERT_TRUE(frame->getWindowPosition(x, y));
    // The captioned window is 406 by 294, 54 and 32 more than the frame's window: still
    // decoration around it.
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
}

TEST_F(Placement, WindowsMuchLargerThanTheFramesStopTheSearchAtTheFramesOwnWindow) {
    struct Case {
        const char* name;
        pf::PixelSize client;
    };
    for (const Case& c : {Case{"wider", {352 + 61, 262}}, Case{"taller", {352, 262 + 61}}}) {
        SCOPED_TRACE(c.name);
        pf::Window* top = hostWindow("Top", pf::kStyleVisible | pf::kStyleCaption, {100, 50}, c.client, nullptr);
        pf::Window* inner = hostWindow("Inner", kVisibleChild, {7, 9}, c.client, top);
        frameIn(inner);
        std::int32_t x = -1, y = -1;
        ASSERT_TRUE(frame->getWindowPosition(x, y));
        EXPECT_EQ(x, 0);  // the frame's window sits at (0, 0) of its parent
        EXPECT_EQ(y, 0);
        frame->release();
        frame = nullptr;
    }
}

TEST_F(Placement, TheSearchStopsAtAWindowWithoutParent) {
    pf::Window* top = hostWindow("Top", pf::kStyleVisible, {40, 30}, {360, 270}, nullptr);
    frameIn(top);
    std::int32_t x = -1, y = -1;
    ASSERT_TRUE(frame->getWindowPosition(x, y));
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    frame->setWindowOpen(false);
    EXPECT_FALSE(frame->getWindowPosition(x, y));
}

TEST_F(Placement, TheHostRectIsTheParentsRectangleInTheWindowTwoLevelsAboveIt) {
    pf::Window* top = hostWindow("Top", pf::kStyleVisible | pf::kStyleCaption | pf::kStyleDialogFrame, {100, 50},
                                 {600, 500}, nullptr);
    pf::Window* middle = hostWindow("Middle", kVisibleChild, {10, 20}, {500, 400}, top);
    pf::Window* parent = hostWindow("Parent", kVisibleChild | pf::kStyleDialogFrame, {30, 40}, {352, 262}, middle);
    frameIn(parent);
    Rect r;
    ASSERT_TRUE(frame->getHostRect(r));
    // The parent in the top window's client area: (10 + 30, 20 + 40), frame included.
    EXPECT_EQ(r, (Rect{40, 60, 40 + 358, 60 + 268}));
    Rect viaPointer;
    ASSERT_TRUE(frame->getHostRect(&viaPointer));
    EXPECT_EQ(viaPointer, r);
    EXPECT_FALSE(frame->getHostRect(nullptr));
    frame->setWindowOpen(false);
    EXPECT_FALSE(frame->getHostRect(r));
}

// ---------------------------------------------------------------------------------
// Resizing

TEST_F(Placement, AHostThatSizesWindowsResizesTheFramesWindowAlone) {
    pf::Window* top = hostWindow("Top", pf::kStyleVisible | pf::kStyleCaption, {0, 0}, {352, 262}, nullptr);
    frameIn(top);
    frame->addChild(new Probe({0, 0, 10, 10}, "p", nullptr));
    pf::dispatchPendingMessages();
    ASSERT_NE(frame->getBackBuffer(), nullptr);
    editor.host.answers[zyl::hostOpCapability] = 1;
    editor.host.answers[zyl::hostOpResizeWindow] = 1;

    EXPECT_TRUE(frame->resizeWindow(400, 300));
    ASSERT_EQ(hostOpcodes(), (std::vector<std::int32_t>{zyl::hostOpCapability, zyl::hostOpResizeWindow}));
    EXPECT_STREQ(static_cast<const char*>(editor.host.calls[0].pointer), "sizeWindow");
    EXPECT_EQ(editor.host.calls[1].index, 400);
    EXPECT_EQ(editor.host.calls[1].value, 300);
    EXPECT_EQ(sizeOf(frame->getWindow()), (pf::PixelSize{400, 300}));
    EXPECT_EQ(sizeOf(top), (pf::PixelSize{352, 262 + 18}));  // the host resizes its own
    Rect b;
    EXPECT_EQ(frame->getBounds(b), (Rect{0, 0, 400, 300}));
    EXPECT_TRUE(frame->needsRedraw());
    EXPECT_EQ(frame->getBackBuffer()->getWidth(), 400);

    // The same size again changes nothing and asks nothing.
    editor.host.calls.clear();
    EXPECT_FALSE(frame->resizeWindow(400, 300));
    EXPECT_TRUE(editor.host.calls.empty());
    // setBounds resizes the window.
    frame->setBounds({0, 0, 380, 290});
    EXPECT_EQ(sizeOf(frame->getWindow()), (pf::PixelSize{380, 290}));
}

TEST_F(Placement, ADialogFrameDirectlyAroundThePluginWindowGrowsByTwiceItsFrameAndNoFurther) {
    pf::Window* top = hostWindow("Top", pf::kStyleVisible | pf::kStyleCaption, {0, 0}, {800, 600}, nullptr);
    pf::Window* mdi = hostWindow("MDIClient", kVisibleChild, {0, 0}, {800, 600}, top);
    pf::Window* dialog = hostWindow("Dialog", kVisibleChild | pf::kStyleDialogFrame, {4, 4}, {352, 262}, mdi);
    frameIn(dialog);
    editor.host.answers[zyl::hostOpCapability] = 1;  // but the resize request is refused

    EXPECT_TRUE(frame->resizeWindow(400, 300));
    EXPECT_EQ(hostOpcodes(), (std::vector<std::int32_t>{zyl::hostOpCapability, zyl::hostOpResizeWindow}));
    EXPECT_EQ(sizeOf(frame->getWindow()), (pf::PixelSize{400, 300}));
    EXPECT_EQ(sizeOf(dialog), (pf::PixelSize{400 + 6, 300 + 6}));
    EXPECT_EQ(sizeOf(mdi), (pf::PixelSize{800, 600}));
    EXPECT_EQ(sizeOf(top), (pf::PixelSize{800, 600 + 18}));
    Rect b;
    EXPECT_EQ(frame->getBounds(b), (Rect{0, 0, 400, 300}));
}

TEST_F(Placement, GrowingByHandStopsAtTheMdiClientTheLimitAndLargeExtras) {
    struct Case {
        const char* name;
        // Built from the top down; the frame's window goes into the last one.
        std::vector<std::pair<const char*, pf::PixelSize>> chain;
        std::vector<pf::PixelSize> after;  // the chain's sizes afterwards, top down
    };
    const Case cases[] = {
        // Directly inside the MDI client area: only the frame's window changes.
        {"mdi client", {{"MDIClient", {800, 600}}}, {{800, 600}}},
        // A window 100 larger is the host's: the frame's window grows, nothing else.
        {"large extras", {{"Big", {452, 362}}}, {{452, 362}}},
        // Plain windows of the frame's size pass their growth upwards, to the window
        // whose parent is missing.
        {"to the top", {{"Outer", {356, 266}}, {"Inner", {352, 262}}}, {{404, 304}, {400, 300}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<pf::Window*> windows;
        pf::Window* parent = nullptr;
        for (const auto& [className, size] : c.chain) {
            parent = hostWindow(className, parent ? kVisibleChild : pf::kStyleVisible, {0, 0}, size, parent);
            windows.push_back(parent);
        }
        frameIn(parent);
        EXPECT_TRUE(frame->resizeWindow(400, 300));
        EXPECT_EQ(sizeOf(frame->getWindow()), (pf::PixelSize{400, 300}));
        for (std::size_t i = 0; i < windows.size(); ++i) EXPECT_EQ(sizeOf(windows[i]), c.after[i]) << i;
        Rect b;
        EXPECT_EQ(frame->getBounds(b), (Rect{0, 0, 400, 300}));
        frame->release();
        frame = nullptr;
        hl::reset();
    }
}

TEST_F(Placement, WithoutDialogFramesOnlyTheFramesWindowIsResized) {
    hl::setDialogFrame(0, 0);
    pf::Window* top = hostWindow("Top", pf::kStyleVisible, {0, 0}, {352, 262}, nullptr);
    frameIn(top);
    EXPECT_TRUE(frame->resizeWindow(300, 200));
    EXPECT_EQ(sizeOf(frame->getWindow()), (pf::PixelSize{300, 200}));
    EXPECT_EQ(sizeOf(top), (pf::PixelSize{352, 262}));
}

TEST_F(Placement, AClosedFrameDoesNotResize) {
    pf::Window* top = hostWindow("Top", pf::kStyleVisible, {0, 0}, {352, 262}, nullptr);
    frameIn(top);
    frame->setWindowOpen(false);
    EXPECT_FALSE(frame->resizeWindow(400, 300));
    EXPECT_EQ(sizeOf(frame->getWindow()), (pf::PixelSize{352, 262}));
    EXPECT_TRUE(editor.host.calls.empty());
}

// ---------------------------------------------------------------------------------
// Host-window mode

template <typename T>
T read(const HostWindowDescriptor& d, std::size_t offset) {
    T value;
    std::memcpy(&value, &d[offset], sizeof value);
    return value;
}

TEST_F(Placement, TheHostWindowDescriptorHoldsTitlePlaceSizeAndStyle) {
    frame = new CFrame(Rect{10, 20, 362, 282}, "Orbitone", &editor, 0x12345678);
    ASSERT_NE(frame->getHostWindowDescriptor(), nullptr);
    const HostWindowDescriptor& d = *frame->getHostWindowDescriptor();
    EXPECT_STREQ(reinterpret_cast<const char*>(&d[kDescriptorTitle]), "Orbitone");
    for (std::size_t i = std::strlen("Orbitone"); i < kDescriptorTitleSize; ++i) EXPECT_EQ(d[i], 0) << i;
    // Little-endian, as the machine stores them.
    const std::uint8_t place[] = {10, 0, 20, 0, 0x60, 0x01, 0x06, 0x01, 0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(std::memcmp(&d[kDescriptorX], place, sizeof place), 0);
    EXPECT_EQ(read<std::int16_t>(d, kDescriptorWidth), 352);
    EXPECT_EQ(read<std::int16_t>(d, kDescriptorHeight), 262);
    for (std::size_t i = kDescriptorZeros; i < d.size(); ++i) EXPECT_EQ(d[i], 0) << i;
    EXPECT_TRUE(frame->isHostWindowMode());
    EXPECT_FALSE(frame->isWindowOpen());
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_EQ(frameWindowCount(), 0);
}

TEST_F(Placement, LongTitlesAreCutToTheDescriptorsField) {
    const std::string title(300, 'T');
    frame = new CFrame(kPanel, title.c_str(), &editor, 0);
    const HostWindowDescriptor& d = *frame->getHostWindowDescriptor();
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(&d[kDescriptorTitle])), kDescriptorTitleSize - 1);
    EXPECT_EQ(read<std::int16_t>(d, kDescriptorX), 0);
    frame->release();
    frame = new CFrame(kPanel, static_cast<const char*>(nullptr), &editor, 0);
    EXPECT_EQ(frame->getHostWindowDescriptor()->at(0), 0);
}

TEST_F(Placement, TheHostOpensAWindowForTheFrameAndClosesIt) {
    pf::Window* top = hostWindow("Top", pf::kStyleVisible | pf::kStyleCaption, {50, 50}, {500, 400}, nullptr);
    pf::Window* given = hostWindow("Given", kVisibleChild, {0, 0}, {352, 262}, top);
    frame = new CFrame(kPanel, "Orbitone", &editor, 0);
    editor.host.answers[zyl::hostOpOpenWindow] = reinterpret_cast<std::intptr_t>(given);

    const Point position{30, -40};
    EXPECT_TRUE(frame->openHostWindow(&position));
    ASSERT_EQ(hostOpcodes(), (std::vector<std::int32_t>{zyl::hostOpOpenWindow}));
    EXPECT_EQ(editor.host.calls[0].pointer, frame->getHostWindowDescriptor());
    EXPECT_EQ(read<std::int16_t>(*frame->getHostWindowDescriptor(), kDescriptorX), 30);
    EXPECT_EQ(read<std::int16_t>(*frame->getHostWindowDescriptor(), kDescriptorY), -40);
    ASSERT_NE(frame->getWindow(), nullptr);
    EXPECT_EQ(pf::getParent(frame->getWindow()), given);
    EXPECT_EQ(frame->getParentWindow(), given);
    EXPECT_TRUE(frame->isWindowOpen());
    EXPECT_EQ(frameWindowCount(), 1);

    // Open already: the host's window comes to the top instead.
    pf::Window* cover = hostWindow("Cover", pf::kStyleVisible, {60, 80}, {300, 200}, nullptr);
    ASSERT_EQ(hl::windowAt({100, 120}), cover);
    EXPECT_FALSE(frame->openHostWindow(nullptr));
    EXPECT_EQ(hl::windowAt({100, 120}), frame->getWindow());
    EXPECT_EQ(editor.host.calls.size(), 1u);

    EXPECT_TRUE(frame->closeHostWindow());
    ASSERT_EQ(editor.host.calls.size(), 2u);
    EXPECT_EQ(editor.host.calls[1].opcode, zyl::hostOpCloseWindow);
    EXPECT_EQ(editor.host.calls[1].pointer, frame->getHostWindowDescriptor());
    EXPECT_FALSE(frame->closeHostWindow());  // the parent is forgotten
    // The host closes its window: the frame's goes with it, and the frame can open again.
    EXPECT_TRUE(pf::destroyWindow(given));
    EXPECT_FALSE(frame->isWindowOpen());
    pf::Window* again = hostWindow("Given", kVisibleChild, {0, 0}, {352, 262}, top);
    editor.host.answers[zyl::hostOpOpenWindow] = reinterpret_cast<std::intptr_t>(again);
    EXPECT_TRUE(frame->openHostWindow(nullptr));
    EXPECT_EQ(pf::getParent(frame->getWindow()), again);
    EXPECT_EQ(frameWindowCount(), 1);

    // Destroying an open host-window frame asks the host to close its window.
    editor.host.calls.clear();
    frame->release();
    frame = nullptr;
    EXPECT_EQ(hostOpcodes(), (std::vector<std::int32_t>{zyl::hostOpCloseWindow}));
    EXPECT_EQ(frameWindowCount(), 0);
}

TEST_F(Placement, NoHostWindowNoOpenFrame) {
    frame = new CFrame(kPanel, "Orbitone", &editor, 0);
    EXPECT_FALSE(frame->openHostWindow(nullptr));  // the host answers 0
    EXPECT_FALSE(frame->isWindowOpen());
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_FALSE(frame->closeHostWindow());
    frame->release();
    editor.host.calls.clear();
    frame = nullptr;
    EXPECT_TRUE(editor.host.calls.empty());

    // Outside host-window mode there is nothing to open or close.
    pf::Window* top = hostWindow("Top", pf::kStyleVisible, {0, 0}, {352, 262}, nullptr);
    frameIn(top);
    EXPECT_FALSE(frame->openHostWindow(nullptr));
    EXPECT_FALSE(frame->closeHostWindow());
    EXPECT_TRUE(editor.host.calls.empty());
}

}  // namespace
