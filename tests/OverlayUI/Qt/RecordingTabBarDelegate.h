#pragma once
// A tab bar delegate that writes down every intent it receives, one line
// each ("select 7", "rename Work", "setAccent none 7"), and can run a hook
// on each (to close a bar from inside its own handler, say).
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "OverlayUI/TabBarPanelDelegate.h"

namespace tessaly::test {

class RecordingTabBarDelegate final : public TabBarPanelDelegate {
public:
    std::vector<std::string> intents;
    std::vector<Uuid> groups;
    Rect lastAddAnchor;
    std::function<void(const std::string&)> onIntent;

    void tabBarDidSelectTab(const Uuid& g, WindowID w) override { note(g, "select", w); }
    void tabBarDidCloseTab(const Uuid& g, WindowID w) override { note(g, "close", w); }
    void tabBarDidMoveTabToIndex(const Uuid& g, WindowID w, int i) override { note(g, "moveToIndex", w, i); }
    void tabBarDidMoveTabToGroupAtIndex(const Uuid& g, WindowID w, const Uuid&, int i) override {
        note(g, "moveToGroup", w, i);
    }
    void tabBarDidPopOutTab(const Uuid& g, WindowID w) override { note(g, "popOut", w); }
    void tabBarDidRequestGroupSameAppForTab(const Uuid& g, WindowID w) override { note(g, "groupSameApp", w); }
    void tabBarDidToggleLock(const Uuid& g) override { note(g, "toggleLock"); }
    void tabBarDidRequestUngroup(const Uuid& g) override { note(g, "ungroup"); }
    void tabBarDidRequestCloseGroup(const Uuid& g) override { note(g, "closeGroup"); }
    void tabBarDidDragBy(const Uuid& g, Point d, EventFlags) override { note(g, "dragBy", d.x, d.y); }
    void tabBarDidEndDrag(const Uuid& g) override { note(g, "endDrag"); }
    void tabBarDidActivate(const Uuid& g) override { note(g, "activate"); }
    void tabBarDidRequestMaximize(const Uuid& g) override { note(g, "maximize"); }
    void tabBarDidRenameGroup(const Uuid& g, const std::optional<std::string>& name) override {
        note(g, "rename", name ? *name : std::string("none"));
    }
    void tabBarDidRequestSettings(const Uuid& g) override { note(g, "settings"); }
    void tabBarDidClickAdd(const Uuid& g, const Rect& anchor) override {
        lastAddAnchor = anchor;
        note(g, "add");
    }
    void tabBarDidRequestMoveToDisplay(const Uuid& g, int index) override { note(g, "moveToDisplay", index); }
    void tabBarDidSetAccentForTab(const Uuid& g, const std::optional<TabColor>& accent, WindowID w) override {
        note(g, "setAccent", accent ? accent->hexString() : std::string("none"), w);
    }
    void tabBarDidRequestCustomAccentForTab(const Uuid& g, WindowID w) override { note(g, "customAccent", w); }
    void tabBarDidSetGroupAccent(const Uuid& g, const std::optional<TabColor>& accent) override {
        note(g, "setGroupAccent", accent ? accent->hexString() : std::string("none"));
    }
    void tabBarDidRequestCustomGroupAccent(const Uuid& g) override { note(g, "customGroupAccent"); }
    void tabBarDidRequestAutoColorRules(const Uuid& g) override { note(g, "autoColorRules"); }

private:
    template <typename... Args>
    void note(const Uuid& group, const char* name, const Args&... args) {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        intents.push_back(line.str());
        groups.push_back(group);
        if (onIntent) onIntent(intents.back());
    }
};

}  // namespace tessaly::test
