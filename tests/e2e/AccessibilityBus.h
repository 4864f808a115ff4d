#pragma once
// What a screen reader sees of the program: its windows, controls, their
// names, roles, states, places on screen and values, read over the
// accessibility bus (AT-SPI on D-Bus) that a test desktop gets for itself.
//
// The desktop runs a session bus of its own; the bus's activation starts the
// accessibility bus launcher, whose bus address the program's toolkit asks
// for. Tests find a control by its role and name, read its place, and then
// act as a user does: XTEST clicks and keys at that place. Reads answer what
// the toolkit publishes now; waits poll it with a deadline.
#include "ChildProcess.h"

#include "Platform/Geometry.h"
#include "Platform/X11/X11TestTimeout.h"

#include <systemd/sd-bus.h>
#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly::e2e {

// One accessible object of the program, as read at one moment.
struct Accessible {
    // AT-SPI state bits used here.
    enum State : unsigned {
        active = 1,
        checked = 4,
        enabled = 8,
        focusable = 11,
        focused = 12,
        selected = 23,
        sensitive = 24,
        showing = 25,
        visible = 30,
    };

    std::string path;  // the object path on the program's connection
    std::string name;
    std::string role;  // the role's name ("push button", "list item", ...)
    Rect extents;      // screen coordinates
    std::array<std::uint32_t, 2> states{};
    int depth = 0;
    std::size_t parent = 0;  // index in the snapshot (the root is its own)

    bool has(State s) const { return (states[s / 32] >> (s % 32)) & 1u; }
    bool isShowing() const { return has(showing) && extents.size.width > 0 && extents.size.height > 0; }
    Point center() const { return Point{std::round(extents.midX()), std::round(extents.midY())}; }
};

class AccessibilityBus {
public:
    // Connects to the accessibility bus that the launcher on `sessionBus`
    // runs, starting it by activation. Empty (with `why`) when it cannot.
    static std::unique_ptr<AccessibilityBus> connect(const std::string& sessionBus, std::string& why) {
        Bus session = open(sessionBus);
        if (!session) {
            why = "the desktop's session bus cannot be reached";
            return nullptr;
        }
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        const int r = sd_bus_call_method(session.get(), "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                         &error, &reply, "");
        const char* address = nullptr;
        if (r < 0 || sd_bus_message_read(reply, "s", &address) < 0 || !address) {
            why = std::string("the accessibility bus launcher did not answer: ") + (error.message ? error.message : "");
            sd_bus_error_free(&error);
            sd_bus_message_unref(reply);
            return nullptr;
        }
        std::string a11y(address);
        sd_bus_message_unref(reply);
        Bus bus = open(a11y);
        if (!bus) {
            why = "the accessibility bus at " + a11y + " cannot be reached";
            return nullptr;
        }
        std::unique_ptr<AccessibilityBus> client(new AccessibilityBus(std::move(bus)));
        if (!client->listenForShownObjects(why)) return nullptr;
        return client;
    }

    // Every object of the program `pid` shows, depth first from its
    // application object; empty while it has not joined the bus.
    std::vector<Accessible> snapshot(pid_t pid) {
        std::vector<Accessible> all;
        const auto name = connectionOf(pid);
        if (!name) return all;
        Accessible root;
        root.path = "/org/a11y/atspi/accessible/root";
        root.role = "application";
        all.push_back(root);
        walk(*name, 0, all);
        return all;
    }

    // The first showing object of `role` whose name is `name` (any name when
    // empty), optionally only inside the object at `within` of `tree`.
    static std::optional<Accessible> find(const std::vector<Accessible>& tree, std::string_view role,
                                          std::string_view name, std::optional<std::size_t> within = std::nullopt) {
        for (std::size_t i = 0; i < tree.size(); ++i) {
            const Accessible& a = tree[i];
            if (!a.isShowing() || (!role.empty() && a.role != role) || (!name.empty() && a.name != name)) continue;
            if (within && !isInside(tree, i, *within)) continue;
            return a;
        }
        return std::nullopt;
    }
    static std::vector<Accessible> all(const std::vector<Accessible>& tree, std::string_view role) {
        std::vector<Accessible> found;
        for (const auto& a : tree) {
            if (a.isShowing() && a.role == role) found.push_back(a);
        }
        return found;
    }
    static bool isInside(const std::vector<Accessible>& tree, std::size_t index, std::size_t ancestor) {
        for (std::size_t i = index; i != 0; i = tree[i].parent) {
            if (i == ancestor) return true;
        }
        return ancestor == 0;
    }
    // Names of the showing objects, one a line with their roles (for messages).
    static std::string describe(const std::vector<Accessible>& tree) {
        std::string text;
        for (const auto& a : tree) {
            if (!a.isShowing() && a.depth > 0) continue;
            text += std::string(static_cast<std::size_t>(a.depth) * 2, ' ') + a.role + " \"" + a.name + "\"\n";
        }
        return text;
    }

    // Waits until `find` in the program's tree answers something; the
    // object, or empty after `timeout`.
    std::optional<Accessible> waitFor(pid_t pid, std::string_view role, std::string_view name,
                                      std::chrono::milliseconds timeout = test::kX11Patience) {
        std::optional<Accessible> found;
        waitUntil(pid, [&](const std::vector<Accessible>& tree) { return (found = find(tree, role, name)).has_value(); },
                  timeout);
        return found;
    }
    // Re-reads the tree until `condition` holds of it (every 20 ms, with a
    // deadline); the tree last read is kept in `last`.
    bool waitUntil(pid_t pid, const std::function<bool(const std::vector<Accessible>&)>& condition,
                   std::chrono::milliseconds timeout = test::kX11Patience) {
        return poll([&] { return condition(last = snapshot(pid)); }, timeout);
    }
    // Asks `condition` again every 20 ms until it holds or time is up.
    bool poll(const std::function<bool()>& condition, std::chrono::milliseconds timeout = test::kX11Patience) {
        const auto deadline = SteadyClock::now() + timeout;
        while (true) {
            if (condition()) return true;
            if (SteadyClock::now() >= deadline) return false;
            pauseForTree(std::min(20, millisecondsLeft(deadline)));
        }
    }

    // The shown pop-up windows (menus) of the program: a screen reader
    // hears of them when they show, they are no children of the application.
    std::vector<Accessible> shownPopups(pid_t pid) {
        std::vector<Accessible> found;
        processSignals();
        const auto name = connectionOf(pid);
        if (!name) return found;
        for (const auto& [sender, path] : shown_) {
            if (sender != *name) continue;
            Accessible popup;
            popup.path = path;
            read(*name, popup);
            if (!popup.isShowing() || (popup.role != "popup menu" && popup.role != "menu")) continue;
            std::vector<Accessible> tree{popup};
            walk(*name, 0, tree);
            found.insert(found.end(), tree.begin(), tree.end());
        }
        return found;
    }

    // The value of a slider or spin box.
    std::optional<double> value(pid_t pid, const Accessible& a) {
        const auto name = connectionOf(pid);
        if (!name) return std::nullopt;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        std::optional<double> v;
        double d = 0;
        if (sd_bus_get_property(bus_.get(), name->c_str(), a.path.c_str(), "org.a11y.atspi.Value", "CurrentValue",
                                &error, &reply, "d") >= 0 &&
            sd_bus_message_read(reply, "d", &d) >= 0) {
            v = d;
        }
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
        return v;
    }

    std::vector<Accessible> last;  // the tree the last wait read

private:
    struct BusUnref {
        void operator()(sd_bus* b) const { sd_bus_flush_close_unref(b); }
    };
    using Bus = std::unique_ptr<sd_bus, BusUnref>;

    explicit AccessibilityBus(Bus bus) : bus_(std::move(bus)) {}

    static Bus open(const std::string& address) {
        sd_bus* raw = nullptr;
        if (sd_bus_new(&raw) < 0) return nullptr;
        Bus bus(raw);
        if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, 1) < 0 ||
            sd_bus_set_method_call_timeout(raw, 5'000'000) < 0 || sd_bus_start(raw) < 0) {
            return nullptr;
        }
        return bus;
    }

    // Asks the registry for every object event, so the program's toolkit
    // announces objects that show (a pop-up menu is no child of anything a
    // tree walk reaches), and keeps the objects it announces.
    bool listenForShownObjects(std::string& why) {
        if (sd_bus_match_signal(bus_.get(), nullptr, nullptr, nullptr, "org.a11y.atspi.Event.Object", "StateChanged",
                                &AccessibilityBus::onStateChanged, this) < 0) {
            why = "cannot listen to object events";
            return false;
        }
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        const int r = sd_bus_call_method(bus_.get(), "org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                                         "org.a11y.atspi.Registry", "RegisterEvent", &error, &reply, "s", "Object:");
        if (r < 0) why = std::string("the accessibility registry did not answer: ") + (error.message ? error.message : "");
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
        return r >= 0;
    }
    static int onStateChanged(sd_bus_message* message, void* self, sd_bus_error*) {
        const char* kind = nullptr;
        std::int32_t detail = 0;
        if (sd_bus_message_read(message, "si", &kind, &detail) < 0 || !kind || std::string_view(kind) != "showing") {
            return 0;
        }
        auto& shown = static_cast<AccessibilityBus*>(self)->shown_;
        const std::pair<std::string, std::string> object{sd_bus_message_get_sender(message),
                                                         sd_bus_message_get_path(message)};
        std::erase(shown, object);
        if (detail == 1) shown.push_back(object);
        return 0;
    }
    void processSignals() {
        while (sd_bus_process(bus_.get(), nullptr) > 0) {
        }
    }

    // Lets time pass for the program's toolkit without sleeping blindly: a
    // bus wait that any message (or the deadline) ends.
    void pauseForTree(int milliseconds) {
        processSignals();
        sd_bus_wait(bus_.get(), static_cast<std::uint64_t>(milliseconds) * 1000);
        processSignals();
    }

    // The unique bus name of the program's connection.
    std::optional<std::string> connectionOf(pid_t pid) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        std::vector<std::string> names;
        if (sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "ListNames", &error, &reply, "") >= 0) {
            char** list = nullptr;
            if (sd_bus_message_read_strv(reply, &list) >= 0 && list) {
                for (char** n = list; *n; ++n) {
                    if (**n == ':') names.emplace_back(*n);
                    free(*n);
                }
                free(list);
            }
        }
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
        for (const auto& n : names) {
            std::uint32_t owner = 0;
            reply = nullptr;
            const int r = sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                             "org.freedesktop.DBus", "GetConnectionUnixProcessID", &error, &reply,
                                             "s", n.c_str());
            const bool matches = r >= 0 && sd_bus_message_read(reply, "u", &owner) >= 0 &&
                                 owner == static_cast<std::uint32_t>(pid);
            sd_bus_error_free(&error);
            sd_bus_message_unref(reply);
            if (matches) return n;
        }
        return std::nullopt;
    }

    void walk(const std::string& name, std::size_t index, std::vector<Accessible>& all) {
        std::vector<std::string> children;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus_.get(), name.c_str(), all[index].path.c_str(), "org.a11y.atspi.Accessible",
                               "GetChildren", &error, &reply, "") >= 0 &&
            sd_bus_message_enter_container(reply, 'a', "(so)") > 0) {
            const char* owner = nullptr;
            const char* path = nullptr;
            while (sd_bus_message_read(reply, "(so)", &owner, &path) > 0) children.emplace_back(path);
        }
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
        for (const auto& path : children) {
            Accessible child;
            child.path = path;
            child.depth = all[index].depth + 1;
            child.parent = index;
            read(name, child);
            all.push_back(child);
            // A hidden object's children are hidden too: not walked.
            if (child.has(Accessible::showing)) walk(name, all.size() - 1, all);
        }
    }

    void read(const std::string& name, Accessible& a) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        char* text = nullptr;
        if (sd_bus_get_property_string(bus_.get(), name.c_str(), a.path.c_str(), "org.a11y.atspi.Accessible", "Name",
                                       &error, &text) >= 0 && text) {
            a.name = text;
        }
        free(text);
        sd_bus_error_free(&error);
        call(name, a.path, "org.a11y.atspi.Accessible", "GetRoleName", [&](sd_bus_message* m) {
            const char* role = nullptr;
            if (sd_bus_message_read(m, "s", &role) >= 0 && role) a.role = role;
        });
        call(name, a.path, "org.a11y.atspi.Accessible", "GetState", [&](sd_bus_message* m) {
            const void* words = nullptr;
            std::size_t size = 0;
            if (sd_bus_message_read_array(m, 'u', &words, &size) >= 0 && size >= 8) {
                const auto* w = static_cast<const std::uint32_t*>(words);
                a.states = {w[0], w[1]};
            }
        });
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus_.get(), name.c_str(), a.path.c_str(), "org.a11y.atspi.Component", "GetExtents",
                               &error, &reply, "u", 0u) >= 0) {
            std::int32_t x = 0, y = 0, w = 0, h = 0;
            if (sd_bus_message_read(reply, "(iiii)", &x, &y, &w, &h) >= 0) a.extents = Rect(x, y, w, h);
        }
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
    }

    void call(const std::string& name, const std::string& path, const char* interface, const char* member,
              const std::function<void(sd_bus_message*)>& readReply) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus_.get(), name.c_str(), path.c_str(), interface, member, &error, &reply, "") >= 0) {
            readReply(reply);
        }
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
    }

    Bus bus_;
    std::vector<std::pair<std::string, std::string>> shown_;  // (sender, path) of shown objects
};

}  // namespace tessaly::e2e
