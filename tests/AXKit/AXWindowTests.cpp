#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AXKit/AXApplication.h"
#include "AXKit/AXWindow.h"
#include "AXKit/URLText.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimFixtures.h"

namespace tessaly {
namespace {

constexpr ProcessID kPid = 100;
constexpr WindowID kWin = 7;

class AXWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.desktop->addApplication({kPid, "org.example.Editor", "Editor", "/usr/share/applications/editor.desktop"});
        env.desktop->addWindow(spec(kWin, Rect(100, 100, 400, 300)));
        env.desktop->clearAXCalls();
    }

    static SimWindowSpec spec(WindowID id, Rect frame) {
        return testing::simWindow(id, kPid, frame, "Doc " + std::to_string(id));
    }

    AXWindowRef window(WindowID id = kWin) {
        return std::make_shared<const AXWindow>(services, SimDesktop::windowElement(kPid, id), kPid, 1.0f);
    }

    // The attribute writes of the last calls, as "P" and "S".
    std::vector<std::string> frameWrites() const {
        std::vector<std::string> out;
        for (const auto& call : env.desktop->axCalls()) {
            if (call.kind != SimAXCall::Kind::write) continue;
            if (call.name == "AXPosition") out.push_back("P");
            if (call.name == "AXSize") out.push_back("S");
        }
        return out;
    }

    SimEnvironment env;
    AXServicesRef services = AXServices::make(env.services);
};

using Writes = std::vector<std::string>;

TEST_F(AXWindowTest, FrameWritesFollowTheGrowAndShrinkOrder) {
    const auto w = window();
    EXPECT_TRUE(w->setFrame(Rect(100, 100, 400, 300)));
    EXPECT_EQ(frameWrites(), Writes{});

    env.desktop->clearAXCalls();
    EXPECT_TRUE(w->setFrame(Rect(100, 100, 500, 300)));
    EXPECT_EQ(frameWrites(), (Writes{"S"}));

    env.desktop->clearAXCalls();
    EXPECT_TRUE(w->setFrame(Rect(150, 100, 500, 300)));
    EXPECT_EQ(frameWrites(), (Writes{"P"}));

    env.desktop->clearAXCalls();
    EXPECT_TRUE(w->setFrame(Rect(160, 110, 600, 300)));  // moved, wider
    EXPECT_EQ(frameWrites(), (Writes{"P", "S"}));

    env.desktop->clearAXCalls();
    EXPECT_TRUE(w->setFrame(Rect(170, 110, 550, 300)));  // moved, narrower
    EXPECT_EQ(frameWrites(), (Writes{"S", "P"}));

    env.desktop->clearAXCalls();
    EXPECT_TRUE(w->setFrame(Rect(180, 110, 600, 250)));  // moved, wider and lower
    EXPECT_EQ(frameWrites(), (Writes{"S", "P", "S"}));
    EXPECT_EQ(env.desktop->window(kWin)->frame(), Rect(180, 110, 600, 250));
}

// The simulated desktop's interface, saying it handles frames promptly
// (its frame reads may lag the window, as memory kept from events does);
// `whole`, it also takes a whole frame in one write (as "F").
class PromptFrames final : public Accessibility {
public:
    explicit PromptFrames(std::shared_ptr<Accessibility> inner, bool whole = false)
        : inner_(std::move(inner)), whole_(whole) {}
    AXAnswer copyAttributeValue(const AXElement& e, std::string_view a, AXTimeout t) override {
        return inner_->copyAttributeValue(e, a, t);
    }
    AXError setAttributeValue(const AXElement& e, std::string_view a, const AXValue& v, AXTimeout t) override {
        return inner_->setAttributeValue(e, a, v, t);
    }
    AXError performAction(const AXElement& e, std::string_view a, AXTimeout t) override {
        return inner_->performAction(e, a, t);
    }
    std::unique_ptr<AXObserverConnection> createObserver(ProcessID pid) override { return inner_->createObserver(pid); }
    bool isProcessTrusted(bool prompt) override { return inner_->isProcessTrusted(prompt); }
    bool handlesFramesPromptly() const override { return true; }
    std::optional<AXError> setFrame(const AXElement& e, const Rect& frame, AXTimeout t) override {
        if (!whole_) return std::nullopt;
        wholeWrites.push_back(frame);
        inner_->setAttributeValue(e, "AXSize", frame.size, t);
        return inner_->setAttributeValue(e, "AXPosition", frame.origin, t);
    }
    std::vector<Rect> wholeWrites;

private:
    std::shared_ptr<Accessibility> inner_;
    bool whole_;
};

TEST_F(AXWindowTest, WherePromptTheFrameWriteAlwaysEndsWithThePosition) {
    auto platform = env.services;
    platform.accessibility = std::make_shared<PromptFrames>(env.services.accessibility);
    services = AXServices::make(platform);
    // A window that reads as being there already may have moved meanwhile.
    EXPECT_TRUE(window()->setFrame(Rect(100, 100, 400, 300)));
    EXPECT_EQ(frameWrites(), (Writes{"P"}));
    env.desktop->clearAXCalls();
    EXPECT_TRUE(window()->setFrame(Rect(100, 100, 500, 350)));  // grown in place
    EXPECT_EQ(frameWrites(), (Writes{"S", "P"}));
    env.desktop->clearAXCalls();
    EXPECT_TRUE(window()->setFrame(Rect(90, 80, 400, 300)));  // moved and shrunk: S, P as everywhere
    EXPECT_EQ(frameWrites(), (Writes{"S", "P"}));
    EXPECT_EQ(env.desktop->window(kWin)->frame(), Rect(90, 80, 400, 300));
}

// Taken whole, a frame is one write, made without reading the frame first:
// memory that lags the window cannot leave the size out.
TEST_F(AXWindowTest, WhereTheWindowSystemTakesWholeFramesAFrameIsOneWriteAndNoRead) {
    auto platform = env.services;
    const auto whole = std::make_shared<PromptFrames>(env.services.accessibility, true);
    platform.accessibility = whole;
    services = AXServices::make(platform);
    EXPECT_TRUE(window()->setFrame(Rect(100, 100, 400, 300)));  // where it reads as being already
    EXPECT_TRUE(window()->setFrame(Rect(60, 40, 640, 480)));
    EXPECT_EQ(whole->wholeWrites, (std::vector<Rect>{Rect(100, 100, 400, 300), Rect(60, 40, 640, 480)}));
    for (const auto& call : env.desktop->axCalls()) EXPECT_NE(call.kind, SimAXCall::Kind::read) << call.name;
    EXPECT_EQ(env.desktop->window(kWin)->frame(), Rect(60, 40, 640, 480));
}

TEST_F(AXWindowTest, UnreadableFrameWritesSizePositionSize) {
    env.desktop->setFailingRead(kWin, "AXPosition");
    EXPECT_TRUE(window()->setFrame(Rect(0, 30, 200, 200)));
    EXPECT_EQ(frameWrites(), (Writes{"S", "P", "S"}));
    EXPECT_FALSE(window()->frame().has_value());
}

TEST_F(AXWindowTest, FailedWriteDoesNotStopTheOthers) {
    env.desktop->setFailingWrite(kWin, "AXSize");
    EXPECT_FALSE(window()->setFrame(Rect(0, 30, 200, 200)));  // moved and shrunk: S, P
    EXPECT_EQ(frameWrites(), (Writes{"S", "P"}));
    EXPECT_EQ(env.desktop->window(kWin)->frame(), Rect(0, 30, 400, 300));
}

TEST_F(AXWindowTest, NonFiniteFrameWritesNothing) {
    EXPECT_FALSE(window()->setFrame(Rect(std::numeric_limits<double>::quiet_NaN(), 0, 10, 10)));
    EXPECT_TRUE(env.desktop->axCalls().empty());
}

// A frame past any screen's range (finite, yet no display holds it, and too
// large for the window system's integers) is neither written nor taken
// from a client: it reads as no frame.
TEST_F(AXWindowTest, AFrameOutOfAnyScreensRangeIsNeitherWrittenNorRead) {
    for (const Rect absurd : {Rect(1e300, -1e300, 1e300, 1e300), Rect(0, 0, 3e9, 600), Rect(-5e6, 0, 800, 600),
                              Rect(0, 0, -400, 300)}) {
        EXPECT_FALSE(window()->setFrame(absurd));
        EXPECT_TRUE(env.desktop->axCalls().empty());
        env.desktop->moveWindow(kWin, absurd);
        EXPECT_FALSE(window()->frame().has_value());
        env.desktop->clearAXCalls();
    }
    env.desktop->moveWindow(kWin, Rect(-1920, -1080, 3840, 2160));
    EXPECT_EQ(window()->frame(), Rect(-1920, -1080, 3840, 2160));
}

TEST_F(AXWindowTest, WindowListKeepsStandardAndMinimisedWindows) {
    auto dialog = spec(8, Rect(0, 0, 100, 100));
    dialog.subrole = "AXDialog";
    env.desktop->addWindow(dialog);
    auto minimisedPanel = spec(9, Rect(0, 0, 100, 100));
    minimisedPanel.subrole = "AXFloatingWindow";
    minimisedPanel.minimized = true;
    env.desktop->addWindow(minimisedPanel);

    const AXApplication app(services, kPid, 1.0f);
    std::vector<WindowID> standard;
    for (const auto& w : app.windows(false)) standard.push_back(w->windowID.value_or(0));
    std::vector<WindowID> all;
    for (const auto& w : app.windows(true)) all.push_back(w->windowID.value_or(0));
    EXPECT_EQ(standard, (std::vector<WindowID>{9, kWin}));
    EXPECT_EQ(all, (std::vector<WindowID>{9, 8, kWin}));
}

TEST_F(AXWindowTest, ReadsAnswerNeutralValuesOnFailure) {
    env.desktop->hang(kPid);
    const auto w = window();
    const double before = env.clock->monotonic();
    EXPECT_FALSE(w->frame().has_value());
    EXPECT_DOUBLE_EQ(env.clock->monotonic() - before, 1.0);  // waited for the time-out
    EXPECT_FALSE(w->title().has_value());
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(AXApplication(services, kPid, 0.25f).windows(true).empty());
    EXPECT_EQ(AXApplication(services, kPid, 0.25f).focusedWindow(), nullptr);
}

TEST_F(AXWindowTest, WindowNumberAbsentWhenTheLookupFailsOrWritesZero) {
    EXPECT_EQ(window()->windowID, kWin);
    env.desktop->setHidesNumber(kWin, true);
    EXPECT_FALSE(window()->windowID.has_value());

    SimEnvironment bare;
    bare.desktop->setAXGetWindowAvailable(false);
    bare.desktop->addApplication({kPid, "", "X", ""});
    bare.desktop->addWindow(spec(kWin, Rect(0, 0, 10, 10)));
    const AXWindow w(AXServices::make(bare.services), SimDesktop::windowElement(kPid, kWin), kPid, std::nullopt);
    EXPECT_FALSE(w.windowID.has_value());
}

TEST_F(AXWindowTest, NativeTabSetNeedsTwoRadioButtonsInsideATabGroup) {
    const auto w = window();
    EXPECT_FALSE(w->isInNativeTabSet());
    env.desktop->setNativeTabs(kWin, 1);
    EXPECT_FALSE(w->isInNativeTabSet());
    env.desktop->setNativeTabs(kWin, 2);
    EXPECT_TRUE(w->isInNativeTabSet());
    env.desktop->setNativeTabs(kWin, 0);
    env.desktop->setChildRoles(kWin, {"AXRadioButton", "AXRadioButton", "AXRadioButton"});
    EXPECT_FALSE(w->isInNativeTabSet());
}

TEST_F(AXWindowTest, FoldedWindowMakesItsHostATabSet) {
    env.desktop->addWindow(spec(8, Rect(0, 0, 50, 50)));
    env.desktop->foldIntoTabs(8, kWin);
    EXPECT_TRUE(window()->isInNativeTabSet());
    EXPECT_EQ(env.desktop->window(8)->frame(), Rect(100, 100, 400, 300));
}

TEST_F(AXWindowTest, DocumentLocationBecomesAURL) {
    auto withDoc = spec(8, Rect(0, 0, 10, 10));
    withDoc.document = "file:///home/u/notes.txt";
    env.desktop->addWindow(withDoc);
    EXPECT_EQ(window(8)->documentURL(), "file:///home/u/notes.txt");

    auto withPath = spec(9, Rect(0, 0, 10, 10));
    withPath.document = "/home/u/my notes.txt";
    env.desktop->addWindow(withPath);
    EXPECT_EQ(window(9)->documentURL(), "file:///home/u/my%20notes.txt");
    EXPECT_FALSE(window()->documentURL().has_value());
}

TEST_F(AXWindowTest, EnhancedInterfaceIsSwitchedOffOnlyWhileOn) {
    const AXApplication app(services, kPid, 1.0f);
    int ran = 0;
    app.withEnhancedUIDisabled([&] { ++ran; });
    env.desktop->setEnhancedUserInterface(kPid, false);
    EXPECT_EQ(app.withEnhancedUIDisabled([&] { return ++ran; }), 2);
    for (const auto& call : env.desktop->axCalls()) EXPECT_NE(call.kind, SimAXCall::Kind::write);

    env.desktop->setEnhancedUserInterface(kPid, true);
    std::optional<bool> during;
    app.withEnhancedUIDisabled([&] { during = env.desktop->application(kPid)->enhancedUserInterface; });
    EXPECT_EQ(during, false);
    EXPECT_EQ(env.desktop->application(kPid)->enhancedUserInterface, true);
}

TEST_F(AXWindowTest, CloseNeedsACloseButton) {
    auto noButton = spec(8, Rect(0, 0, 10, 10));
    noButton.hasCloseButton = false;
    env.desktop->addWindow(noButton);
    env.desktop->clearAXCalls();
    EXPECT_FALSE(window(8)->close());
    for (const auto& call : env.desktop->axCalls()) EXPECT_NE(call.kind, SimAXCall::Kind::action);

    EXPECT_TRUE(window()->close());
    EXPECT_FALSE(env.desktop->window(kWin).has_value());
}

TEST_F(AXWindowTest, RaiseBringsToFrontAndMinimiseWrites) {
    env.desktop->addWindow(spec(8, Rect(0, 0, 10, 10)));
    EXPECT_TRUE(window()->raise());
    EXPECT_EQ(env.desktop->stacking().front(), kWin);
    EXPECT_EQ(env.desktop->application(kPid)->focusedWindow, kWin);
    EXPECT_TRUE(window()->setMinimized(true));
    EXPECT_TRUE(window()->isMinimized());
    env.desktop->setFailingWrite(8, "AXRaise");
    EXPECT_FALSE(window(8)->raise());  // the main flag is still written
    EXPECT_EQ(env.desktop->application(kPid)->focusedWindow, 8u);
}

TEST_F(AXWindowTest, ApplicationsByNameAndBundle) {
    env.desktop->addApplication({200, "org.example.Helper", "Übersicht Helper", "", ActivationPolicy::accessory});
    env.desktop->addApplication({300, "org.example.Viewer", "ÜBERSICHT", ""});
    const auto byName = AXApplication::named(services, "übersicht");
    ASSERT_TRUE(byName.has_value());
    EXPECT_EQ(byName->pid(), 300);
    EXPECT_EQ(byName->timeout(), AXApplication::Timeout::normal);
    EXPECT_FALSE(AXApplication::named(services, "helper").has_value());
    EXPECT_FALSE(AXApplication::named(services, "").has_value());  // an empty name matches nothing
    EXPECT_EQ(AXApplication::withBundleID(services, "org.example.Editor")->pid(), kPid);
    EXPECT_FALSE(AXApplication::withBundleID(services, "org.example.None").has_value());
    EXPECT_EQ(AXApplication(services, kPid, 1.0f).runningApplication()->localizedName, "Editor");
}

TEST_F(AXWindowTest, TrustCheckPromptsOnlyWhenAsked) {
    env.desktop->setTrusted(false);
    EXPECT_FALSE(AXPermission::request(*services->accessibility, false));
    EXPECT_EQ(env.desktop->trustPromptCount(), 0);
    EXPECT_FALSE(AXPermission::request(*services->accessibility, true));
    EXPECT_EQ(env.desktop->trustPromptCount(), 1);
    env.desktop->setTrusted(true);
    EXPECT_TRUE(AXPermission::isTrusted(*services->accessibility));
}

TEST(URLText, ParsesAndEncodes) {
    EXPECT_TRUE(parsesAsURL("https://example.org/a?b=c#d"));
    EXPECT_TRUE(parsesAsURL("relative/path"));
    EXPECT_FALSE(parsesAsURL("has space"));
    EXPECT_FALSE(parsesAsURL("bad%2"));
    EXPECT_EQ(fileURLForPath("/a b/ü"), "file:///a%20b/%C3%BC");
    // A relative path stays a path under the current folder; it never names a host.
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(fileURLForPath("my notes.txt"),
              fileURLForPath(here + (here == "/" ? "" : "/") + "my notes.txt"));
    EXPECT_EQ(fileURLForPath("my notes.txt").rfind("file:///", 0), 0u);
}

}  // namespace
}  // namespace tessaly
