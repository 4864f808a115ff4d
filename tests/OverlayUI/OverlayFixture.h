#pragma once
// An overlay manager on the simulated desktop with the recording fake of the
// toolkit half, the public ordering strategy and the virtual clock.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "OverlayUI/FakeOverlay.h"
#include "OverlayUI/OverlayManager.h"
#include "OverlayUI/PublicZOrderSync.h"
#include "Platform/Sim/SimEnvironment.h"
#include "TessalyCore/GroupEvent.h"

namespace tessaly {

// Hands out one icon per process and counts the requests.
class CountingIcons final : public AppIconSource {
public:
    std::shared_ptr<const AppIcon> icon(ProcessID pid) override {
        ++requests[pid];
        auto& icon = icons[pid];
        if (!icon) icon = std::make_shared<AppIcon>(AppIcon{1, 1, {static_cast<std::uint32_t>(pid)}});
        return icon;
    }
    std::map<ProcessID, int> requests;
    std::map<ProcessID, std::shared_ptr<const AppIcon>> icons;
};

// Records every intent it receives as one line of text.
class RecordingDelegate final : public TabBarPanelDelegate {
public:
    std::vector<std::string> intents;

    void tabBarDidSelectTab(const Uuid&, WindowID w) override { note("select " + std::to_string(w)); }
    void tabBarDidCloseTab(const Uuid&, WindowID w) override { note("close " + std::to_string(w)); }
    void tabBarDidMoveTabToIndex(const Uuid&, WindowID w, int i) override {
        note("move " + std::to_string(w) + " to " + std::to_string(i));
    }
    void tabBarDidMoveTabToGroupAtIndex(const Uuid& g, WindowID w, const Uuid& t, int i) override {
        note("move " + std::to_string(w) + " from " + g.uuidString() + " to " + t.uuidString() + " at " +
             std::to_string(i));
    }
    void tabBarDidPopOutTab(const Uuid&, WindowID w) override { note("pop out " + std::to_string(w)); }
    void tabBarDidRequestGroupSameAppForTab(const Uuid&, WindowID w) override { note("same app " + std::to_string(w)); }
    void tabBarDidToggleLock(const Uuid&) override { note("toggle lock"); }
    void tabBarDidRequestUngroup(const Uuid&) override { note("ungroup"); }
    void tabBarDidRequestCloseGroup(const Uuid&) override { note("close group"); }
    void tabBarDidDragBy(const Uuid&, Point, EventFlags) override { note("drag"); }
    void tabBarDidEndDrag(const Uuid&) override { note("end drag"); }
    void tabBarDidActivate(const Uuid&) override { note("activate"); }
    void tabBarDidRequestMaximize(const Uuid&) override { note("maximize"); }
    void tabBarDidRenameGroup(const Uuid&, const std::optional<std::string>& n) override {
        note("rename " + n.value_or("<none>"));
    }
    void tabBarDidRequestSettings(const Uuid&) override { note("settings"); }
    void tabBarDidClickAdd(const Uuid&, const Rect&) override { note("add"); }
    void tabBarDidRequestMoveToDisplay(const Uuid&, int i) override { note("display " + std::to_string(i)); }
    void tabBarDidSetAccentForTab(const Uuid&, const std::optional<TabColor>&, WindowID w) override {
        note("accent " + std::to_string(w));
    }
    void tabBarDidRequestCustomAccentForTab(const Uuid&, WindowID w) override { note("custom " + std::to_string(w)); }
    void tabBarDidSetGroupAccent(const Uuid&, const std::optional<TabColor>&) override { note("group accent"); }
    void tabBarDidRequestCustomGroupAccent(const Uuid&) override { note("custom group accent"); }
    void tabBarDidRequestAutoColorRules(const Uuid&) override { note("auto colour"); }

private:
    void note(std::string line) { intents.push_back(std::move(line)); }
};

class OverlayFixture : public testing::Test {
protected:
    OverlayFixture() { manager = makeManager(env.services); }

    std::unique_ptr<OverlayManager> makeManager(const PlatformServices& services) {
        return std::make_unique<OverlayManager>(std::make_shared<PublicZOrderSync>(), icons, factory, services);
    }

    // A group of windows 101, 102, ... (process 11, 12, ...) with the first active.
    TabGroup makeGroup(std::vector<WindowID> ids, const Rect& frame = Rect(200, 300, 800, 600)) {
        std::vector<GroupMember> members;
        for (WindowID id : ids) {
            members.emplace_back(id, static_cast<ProcessID>(id - 90), "Window " + std::to_string(id));
            factory->stacking->push(id);
        }
        return TabGroup(Uuid::random(), std::move(members), ids.front(), frame);
    }

    FakeBarRecord& barOf(const TabGroup& group) { return factory->barFor(group.id); }

    // The strip directly above the active window and, while the backing is
    // in use, the backing directly below it.
    bool isOrderedAtActive(const TabGroup& group) {
        const FakeBarRecord& bar = barOf(group);
        const auto& stack = *factory->stacking;
        if (!stack.isDirectlyAbove(bar.stripNumber(), group.activeWindowID)) return false;
        return !bar.backingShown || stack.isDirectlyAbove(group.activeWindowID, bar.backingNumber());
    }

    // Another application's window comes to the front.
    void raiseOther(WindowID window) { factory->stacking->push(window); }

    SimEnvironment env;
    std::shared_ptr<FakeOverlayFactory> factory = std::make_shared<FakeOverlayFactory>();
    std::shared_ptr<CountingIcons> icons = std::make_shared<CountingIcons>();
    std::unique_ptr<OverlayManager> manager;
};

}  // namespace tessaly
