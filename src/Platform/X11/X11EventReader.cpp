#include "Platform/X11/X11EventReader.h"

#include "Platform/X11/X11Monitors.h"
#include "Platform/X11/X11RawInput.h"
#include "Platform/X11/X11Windows.h"

#include <xcb/randr.h>
#include <xcb/screensaver.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <iterator>

namespace tessaly {

namespace {

constexpr std::uint32_t kRootMask =
    XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
constexpr std::uint32_t kClientMask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

template <typename T>
const T& as(const xcb_generic_event_t& event) {
    return *reinterpret_cast<const T*>(&event);
}

}  // namespace

std::unique_ptr<X11EventReader> X11EventReader::start(const std::string& display, Handler handler,
                                                      xcb_window_t markWindow, X11ButtonState* buttons,
                                                      const X11Connection* beside) {
    auto connection = beside ? X11Connection::open(display, *beside) : X11Connection::open(display);
    if (!connection) return nullptr;
    std::unique_ptr<X11EventReader> reader(new X11EventReader(std::move(connection), std::move(handler)));
    xcb_connection_t* c = reader->x_->get();
    xcb_change_window_attributes(c, reader->x_->root(), XCB_CW_EVENT_MASK, &kRootMask);
    if (markWindow != kNoWindow) {
        reader->markWindow_ = markWindow;
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, markWindow, XCB_CW_EVENT_MASK, &mask);
    }
    if (const auto* randr = xcb_get_extension_data(c, &xcb_randr_id); randr && randr->present) {
        reader->hasRandr_ = true;
        reader->randrFirstEvent_ = randr->first_event;
        xcb_randr_select_input(c, reader->x_->root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    }
    if (const auto* saver = xcb_get_extension_data(c, &xcb_screensaver_id); saver && saver->present) {
        reader->hasScreenSaver_ = true;
        reader->screenSaverFirstEvent_ = saver->first_event;
        xcb_screensaver_select_input(c, reader->x_->root(), XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
    }
    if (const auto* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id); xfixes && xfixes->present) {
        // Compositing managers come and go: their selection's owner tells.
        const auto version = xcbReply(c, xcb_xfixes_query_version_reply,
                                      xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION));
        if (version) {
            reader->hasXFixes_ = true;
            reader->xfixesFirstEvent_ = xfixes->first_event;
            xcb_xfixes_select_selection_input(c, reader->x_->root(), reader->x_->compositingSelection(),
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
    }
    if (buttons) reader->watchButtons(*buttons);
    reader->clientsAtStart_ = reader->refreshClients();
    reader->watchWindowManager();
    // After the selection: a change in between arrives as an event too, and
    // replaying one the read already shows leaves the order as it is.
    reader->readStack();
    reader->watchTopLevels(reader->stack_);
    reader->x_->sync();
    X11EventReader* r = reader.get();
    if (!reader->thread_.start(
            *reader->x_,
            [r](const xcb_generic_event_t& event) { r->take(event); },
            [r] {
                if (r->buttons_) r->buttons_->lost();
                r->publish(X11Event::Kind::connectionLost, kNoWindow);
            },
            [r] {
                // An event read while looking for a reply is handled
                // before what the reply answers, when it came before it.
                // What was asked without a reply (watching a new client)
                // goes out before the thread waits; sending may read
                // replies off the socket, and the thread would not wake
                // for those.
                do {
                    while (XEvent event = r->replies_.arrived()) r->take(*event);
                    r->x_->flush();
                } while (r->replies_.ready());
            })) {
        return nullptr;
    }
    return reader;
}

X11EventReader::X11EventReader(std::unique_ptr<X11Connection> connection, Handler handler)
    : x_(std::move(connection)), replies_(x_->get()), handler_(std::move(handler)) {}

X11EventReader::~X11EventReader() { stop(); }

void X11EventReader::stop() {
    thread_.stop();
    if (buttons_) buttons_->lost();
}

void X11EventReader::watchButtons(X11ButtonState& state) {
    const auto opcode = X11RawInput::announce(*x_, true);
    if (!opcode) return;  // the state stays unknown: its readers ask the server
    inputOpcode_ = *opcode;
    buttons_.emplace(state);
    // Raw events of the devices behind the core pointer; changes of devices
    // are only reported to a selection for all of them.
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } selection[] = {
        {{XCB_INPUT_DEVICE_ALL_MASTER, 1},
         XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE},
        {{XCB_INPUT_DEVICE_ALL, 1}, XCB_INPUT_XI_EVENT_MASK_HIERARCHY},
    };
    static_assert(sizeof selection[0] == sizeof(xcb_input_event_mask_t) + sizeof(std::uint32_t));
    xcb_connection_t* c = x_->get();
    xcb_input_xi_select_events(c, x_->root(), 2, &selection[0].head);
    // Before the thread runs: nothing else is read meanwhile.
    const auto mapping = xcb_get_pointer_mapping(c);
    const auto pointer = xcb_query_pointer(c, x_->root());
    setButtonMapping(xcbReply(c, xcb_get_pointer_mapping_reply, mapping).get());
    if (const auto seed = xcbReply(c, xcb_query_pointer_reply, pointer)) {
        buttons_->seed((seed->mask & XCB_BUTTON_MASK_1) != 0);
    }
}

bool X11EventReader::setButtonMapping(const xcb_get_pointer_mapping_reply_t* reply) {
    if (!reply) return buttons_->setMapping({});
    const std::uint8_t* map = xcb_get_pointer_mapping_map(reply);
    return buttons_->setMapping({map, map + xcb_get_pointer_mapping_map_length(reply)});
}

void X11EventReader::readButtonMapping() {
    buttons_->mappingChanged();
    const auto cookie = xcb_get_pointer_mapping(x_->get());
    replies_.awaitInPlace(cookie.sequence, [this](std::vector<X11AwaitedReplies::Reply>& replies) {
        if (!setButtonMapping(static_cast<const xcb_get_pointer_mapping_reply_t*>(replies[0].get()))) seedButtons();
    });
}

void X11EventReader::seedButtons() {
    const auto cookie = xcb_query_pointer(x_->get(), x_->root());
    replies_.awaitInPlace(cookie.sequence, [this](std::vector<X11AwaitedReplies::Reply>& replies) {
        if (const auto* pointer = static_cast<const xcb_query_pointer_reply_t*>(replies[0].get())) {
            buttons_->seed((pointer->mask & XCB_BUTTON_MASK_1) != 0);
        }
    });
}

void X11EventReader::handleInput(const xcb_generic_event_t& event) {
    const auto& generic = as<xcb_ge_generic_event_t>(event);
    if (generic.extension != inputOpcode_) return;
    switch (generic.event_type) {
    case XCB_INPUT_RAW_BUTTON_PRESS:
    case XCB_INPUT_RAW_BUTTON_RELEASE: {
        const auto& e = as<xcb_input_raw_button_press_event_t>(event);
        if (generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS) buttons_->pressed(e.sourceid, e.detail);
        else if (!buttons_->released(e.sourceid, e.detail)) seedButtons();
        return;
    }
    case XCB_INPUT_HIERARCHY:
        if (!buttons_->hierarchyChanged()) seedButtons();
        return;
    default: return;
    }
}

void X11EventReader::publish(X11Event::Kind kind, xcb_window_t window, xcb_atom_t property) {
    X11Event event;
    event.kind = kind;
    event.window = window;
    event.property = property;
    if (handler_) handler_(event);
}

void X11EventReader::watchWindowManager() {
    // The check window answers itself only while its window manager runs
    // (windowManagerCheckWindow); its DestroyNotify tells of the end.
    watchCheckWindow(x_->windowManagerCheckWindow());
}

void X11EventReader::watchWindowManagerLater() {
    using Replies = std::vector<X11AwaitedReplies::Reply>;
    const xcb_atom_t property = x_->atoms().NET_SUPPORTING_WM_CHECK;
    const auto onRoot = x_->getProperty(x_->root(), property);
    replies_.awaitInPlace(onRoot.sequence, [this, property](Replies& named) {
        const auto check = propertyCardinal(static_cast<const xcb_get_property_reply_t*>(named[0].get()));
        if (!check || *check == kNoWindow) return watchCheckWindow(kNoWindow);
        const auto onSelf = x_->getProperty(*check, property);
        replies_.awaitInPlace(onSelf.sequence, [this, check = *check](Replies& self) {
            // A stale property left by a window manager that died names no
            // window that names itself.
            const auto echo = propertyCardinal(static_cast<const xcb_get_property_reply_t*>(self[0].get()));
            watchCheckWindow(echo == check ? check : kNoWindow);
        });
    });
}

void X11EventReader::watchCheckWindow(xcb_window_t check) {
    checkWindow_ = check;
    if (checkWindow_ == kNoWindow) return;
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_->get(), checkWindow_, XCB_CW_EVENT_MASK, &mask);
}

xcb_window_t X11EventReader::clientOfFrame(xcb_window_t frame) const {
    const auto it = frameToClient_.find(frame);
    return it == frameToClient_.end() ? kNoWindow : it->second;
}

void X11EventReader::readStack() {
    auto tree = xcbReply(x_->get(), xcb_query_tree_reply, xcb_query_tree(x_->get(), x_->root()));
    stack_.clear();
    if (!tree) return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    stack_.assign(children, children + xcb_query_tree_children_length(tree.get()));
}

void X11EventReader::readStackLater() {
    // An answer on its way already shows every event handled before it.
    if (stackAsked_) return;
    stackAsked_ = true;
    const auto cookie = xcb_query_tree(x_->get(), x_->root());
    replies_.awaitInPlace(cookie.sequence, [this](std::vector<X11AwaitedReplies::Reply>& replies) {
        stackAsked_ = false;
        const auto* tree = static_cast<const xcb_query_tree_reply_t*>(replies[0].get());
        if (!tree) return;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        stack_.assign(children, children + xcb_query_tree_children_length(tree));
    });
}

bool X11EventReader::watchTopLevels(const std::vector<xcb_window_t>& rootChildren) {
    std::vector<xcb_window_t> unlisted;
    std::copy_if(rootChildren.begin(), rootChildren.end(), std::back_inserter(unlisted),
                 [this](xcb_window_t w) { return isUnknown(w); });
    std::vector<X11TopLevel> unknown;
    for (const auto& t : shownTopLevels(*x_, unlisted)) {
        if (!isUnknown(t.window)) continue;
        constexpr std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(x_->get(), t.window, XCB_CW_EVENT_MASK, &mask);
        unknown.push_back(t);
    }
    std::vector<xcb_window_t> windows;
    for (const auto& t : unknown) windows.push_back(t.window);
    const auto struts = readStruts(*x_, windows);
    bool any = false;
    for (std::size_t i = 0; i < unknown.size(); ++i) {
        if (!struts[i]) continue;
        strutHolders_.insert(unknown[i].rootChild);
        any = true;
    }
    return any;
}

bool X11EventReader::isUnknown(xcb_window_t window) const {
    return !clients_.count(window) && !frames_.count(window) && !frameToClient_.count(window);
}

void X11EventReader::watchShownLater(xcb_window_t rootChild) {
    // As shownTopLevels and readStruts do, one step per reply.
    using Replies = std::vector<X11AwaitedReplies::Reply>;
    xcb_connection_t* c = x_->get();
    const auto attributes = xcb_get_window_attributes(c, rootChild);
    const auto tree = xcb_query_tree(c, rootChild);
    replies_.await({attributes.sequence, tree.sequence}, [this, c, rootChild](Replies& shown) {
        const auto* a = static_cast<const xcb_get_window_attributes_reply_t*>(shown[0].get());
        const auto* t = static_cast<const xcb_query_tree_reply_t*>(shown[1].get());
        if (!a || a->map_state != XCB_MAP_STATE_VIEWABLE) return;
        std::vector<xcb_window_t> inside;
        if (t) inside.assign(xcb_query_tree_children(t), xcb_query_tree_children(t) + xcb_query_tree_children_length(t));
        std::vector<unsigned int> sequences;
        for (const auto w : inside) sequences.push_back(xcb_get_window_attributes(c, w).sequence);
        replies_.awaitNext(std::move(sequences), [this, c, rootChild, inside](Replies& insideShown) {
            std::vector<xcb_window_t> windows;
            for (std::size_t i = 0; i <= inside.size(); ++i) {
                const xcb_window_t w = i == 0 ? rootChild : inside[i - 1];
                const auto* seen = i == 0 ? nullptr
                                          : static_cast<const xcb_get_window_attributes_reply_t*>(insideShown[i - 1].get());
                if ((i > 0 && (!seen || seen->map_state != XCB_MAP_STATE_VIEWABLE)) || !isUnknown(w)) continue;
                constexpr std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
                windows.push_back(w);
            }
            std::vector<unsigned int> struts;
            for (const auto w : windows) {
                struts.push_back(x_->getProperty(w, x_->atoms().NET_WM_STRUT_PARTIAL).sequence);
                struts.push_back(x_->getProperty(w, x_->atoms().NET_WM_STRUT).sequence);
            }
            replies_.awaitNext(std::move(struts), [this, rootChild](Replies& found) {
                for (std::size_t i = 0; i + 1 < found.size(); i += 2) {
                    const auto partial = static_cast<const xcb_get_property_reply_t*>(found[i].get());
                    const auto plain = static_cast<const xcb_get_property_reply_t*>(found[i + 1].get());
                    if (propertyCardinals(partial).size() >= 12 || propertyCardinals(plain).size() >= 4) {
                        strutHolders_.insert(rootChild);
                        publish(X11Event::Kind::screenChanged, kNoWindow);
                        return;
                    }
                }
            });
        });
    });
}

bool X11EventReader::restack(xcb_window_t window, xcb_window_t sibling, xcb_window_t& uncovered) {
    const auto at = std::find(stack_.begin(), stack_.end(), window);
    const bool known = at != stack_.end();
    const auto stood = at - stack_.begin();
    const xcb_window_t before = !known || at == stack_.begin() ? kNoWindow : *(at - 1);
    uncovered = kNoWindow;
    if (known && before == sibling) return false;
    uncovered = before;
    if (known) stack_.erase(at);
    if (sibling == kNoWindow) {
        stack_.insert(stack_.begin(), window);
        return true;
    }
    const auto above = std::find(stack_.begin(), stack_.end(), sibling);
    if (above == stack_.end()) {
        // Out of step with the server: its order is read again. Until the
        // answer is in, the sibling stands where the window stood (on top
        // for one not known either), and the window directly above it, as
        // the event says.
        readStackLater();
        const auto place = stack_.insert(known ? stack_.begin() + stood : stack_.end(), sibling);
        stack_.insert(place + 1, window);
        return true;
    }
    stack_.insert(above + 1, window);
    return true;
}

void X11EventReader::configureRootChild(const xcb_configure_notify_event_t& e) {
    const Rect geometry(e.x, e.y, e.width + 2.0 * e.border_width, e.height + 2.0 * e.border_width);
    xcb_window_t uncovered = kNoWindow;
    const bool restacked = restack(e.window, e.above_sibling, uncovered);
    emitConfigured(e.window, geometry, e.border_width, e.override_redirect != 0, restacked, uncovered);
}

bool X11EventReader::handledAlready(const xcb_configure_notify_event_t& e) {
    if (!frameCopy_) return false;
    const xcb_configure_notify_event_t& f = *frameCopy_;
    const bool same = f.sequence == e.sequence && f.window == e.window && f.above_sibling == e.above_sibling &&
                      f.x == e.x && f.y == e.y && f.width == e.width && f.height == e.height &&
                      f.border_width == e.border_width && f.override_redirect == e.override_redirect;
    frameCopy_.reset();  // the root's copy comes right after the frame's, or not at all
    return same;
}

void X11EventReader::publishReparented(xcb_window_t client) {
    X11Event out;
    out.kind = X11Event::Kind::reparented;
    out.window = client;
    if (const auto f = clientToFrame_.find(client); f != clientToFrame_.end()) out.frameWindow = f->second;
    if (handler_) handler_(out);
}

void X11EventReader::publishFrameMap(xcb_window_t rootChild) {
    // A frame shown or hidden (another desktop) changes whether its client is viewable.
    if (const auto client = clientOfFrame(rootChild); client && client != rootChild) {
        publish(X11Event::Kind::frameMapChanged, client);
    } else if (!client) {
        publish(X11Event::Kind::rootChildMapChanged, rootChild);
    }
}

xcb_window_t X11EventReader::named(xcb_window_t rootChild) const {
    const auto client = clientOfFrame(rootChild);
    return client ? client : rootChild;
}

void X11EventReader::emitConfigured(xcb_window_t window, const Rect& geometry, double border, bool overrideRedirect,
                                    bool restacked, xcb_window_t uncovered) {
    // A child of the root: a frame, or a window of nobody's (panels).
    X11Event out;
    const auto client = clientOfFrame(window);
    out.kind = client ? X11Event::Kind::frameChanged : X11Event::Kind::rootChildConfigured;
    out.window = client ? client : window;
    out.frameWindow = window;
    out.rootChild = true;
    out.geometry = geometry;
    out.size = geometry.size;
    out.border = border;
    out.hasGeometry = border >= 0;
    out.overrideRedirect = overrideRedirect;
    out.restacked = restacked;
    if (uncovered != kNoWindow) out.uncovered = named(uncovered);
    const auto at = std::find(stack_.begin(), stack_.end(), window);
    if (at != stack_.end() && at != stack_.begin()) {
        out.aboveSibling = *(at - 1);
        out.below = named(out.aboveSibling);
        out.belowIsClient = clientOfFrame(out.aboveSibling) != kNoWindow;
    }
    if (handler_) handler_(out);
}

void X11EventReader::watchClients(const std::vector<xcb_window_t>& clients, const std::vector<xcb_window_t>& frames) {
    for (const auto w : clients) xcb_change_window_attributes(x_->get(), w, XCB_CW_EVENT_MASK, &kClientMask);
    constexpr std::uint32_t frameMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        if (frames[i] == kNoWindow) continue;
        if (frames[i] != clients[i] && frames_.insert(frames[i]).second) {
            xcb_change_window_attributes(x_->get(), frames[i], XCB_CW_EVENT_MASK, &frameMask);
        }
        if (const auto old = clientToFrame_.find(clients[i]); old != clientToFrame_.end()) frameToClient_.erase(old->second);
        clientToFrame_[clients[i]] = frames[i];
        frameToClient_[frames[i]] = clients[i];
    }
}

std::vector<xcb_window_t> X11EventReader::joinedClients(const std::vector<xcb_window_t>& list) {
    std::unordered_set<xcb_window_t> now(list.begin(), list.end());
    std::vector<xcb_window_t> added;
    for (const auto w : list) {
        if (!clients_.count(w)) added.push_back(w);
    }
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (now.count(*it)) {
            ++it;
            continue;
        }
        if (const auto f = clientToFrame_.find(*it); f != clientToFrame_.end()) {
            frameToClient_.erase(f->second);
            clientToFrame_.erase(f);
        }
        it = clients_.erase(it);
    }
    return added;
}

std::vector<xcb_window_t> X11EventReader::refreshClients() {
    const auto list = X11Windows(*x_).clientList();
    const auto added = joinedClients(list);
    clients_.insert(added.begin(), added.end());
    watchClients(added, X11Windows(*x_).frameWindows(added));
    return list;
}

void X11EventReader::readClientList() {
    const auto cookie = x_->getProperty(x_->root(), x_->atoms().NET_CLIENT_LIST, 65536);
    replies_.await({cookie.sequence}, [this](std::vector<X11AwaitedReplies::Reply>& replies) {
        const auto list = propertyCardinals(static_cast<const xcb_get_property_reply_t*>(replies[0].get()));
        auto added = joinedClients(list);
        findFrames(added, [this, list, added](const std::vector<xcb_window_t>& frames) {
            clients_.insert(added.begin(), added.end());
            watchClients(added, frames);
            const auto tell = [this, list, added](std::vector<X11AwaitedReplies::Reply>&) {
                X11Event out;
                out.clients = list;
                if (handler_) handler_(out);
                // A window manager that restarts lists its clients anew,
                // maybe after it has framed them: a client joining stands
                // in a new frame.
                for (const auto w : added) publishReparented(w);
            };
            std::vector<X11AwaitedReplies::Reply> none;
            if (added.empty()) return tell(none);
            // Watching before anyone hears of the client, and the server
            // has the watch in place (requests on two connections are not
            // ordered): a change made the moment it is listed is not
            // missed, where a read would have kept the client without it.
            replies_.awaitNext({xcb_get_input_focus(x_->get()).sequence}, tell);
        }, true);
    });
}

void X11EventReader::findFrames(std::vector<xcb_window_t> windows,
                                std::function<void(const std::vector<xcb_window_t>&)> found, bool next) {
    struct Walk {
        std::vector<xcb_window_t> current;  // how far up each window is
        std::vector<xcb_window_t> frames;
        std::vector<std::size_t> pending;
        int depth = 0;
    };
    auto walk = std::make_shared<Walk>();
    walk->frames.assign(windows.size(), kNoWindow);
    walk->current = std::move(windows);
    for (std::size_t i = 0; i < walk->current.size(); ++i) walk->pending.push_back(i);
    // One level for every window still on its way up, per step.
    auto step = std::make_shared<std::function<void(bool)>>();
    *step = [this, walk, found = std::move(found), weakStep = std::weak_ptr(step)](bool asNext) {
        std::vector<unsigned int> sequences;
        for (const auto i : walk->pending) sequences.push_back(xcb_query_tree(x_->get(), walk->current[i]).sequence);
        const auto use = [this, walk, found, step = weakStep.lock()](std::vector<X11AwaitedReplies::Reply>& replies) {
            std::vector<std::size_t> higher;
            for (std::size_t k = 0; k < walk->pending.size(); ++k) {
                const auto i = walk->pending[k];
                const auto* tree = static_cast<const xcb_query_tree_reply_t*>(replies[k].get());
                if (!tree) continue;  // vanished: stays 0
                if (tree->parent == tree->root || tree->parent == kNoWindow) {
                    walk->frames[i] = walk->current[i];
                } else {
                    walk->current[i] = tree->parent;
                    higher.push_back(i);
                }
            }
            walk->pending = std::move(higher);
            constexpr int kMaxTreeDepth = 32;
            if (walk->pending.empty() || ++walk->depth >= kMaxTreeDepth) found(walk->frames);
            else (*step)(true);
        };
        if (asNext) replies_.awaitNext(std::move(sequences), use);
        else replies_.await(std::move(sequences), use);
    };
    (*step)(next);
}

void X11EventReader::take(const xcb_generic_event_t& event) {
    replies_.before(event);
    handle(event);
}

void X11EventReader::handle(const xcb_generic_event_t& event) {
    const auto type = event.response_type & 0x7f;
    if (type == 0) return;  // an error about a window that went away
    if (buttons_ && type == XCB_GE_GENERIC) {
        handleInput(event);
        return;
    }
    if (buttons_ && type == XCB_MAPPING_NOTIFY) {
        if (as<xcb_mapping_notify_event_t>(event).request == XCB_MAPPING_POINTER) readButtonMapping();
        return;
    }
    if (handleExtension(event, type)) return;
    switch (type) {
    case XCB_PROPERTY_NOTIFY: handleProperty(as<xcb_property_notify_event_t>(event)); return;
    case XCB_CONFIGURE_NOTIFY:
        handleConfigure(as<xcb_configure_notify_event_t>(event), (event.response_type & 0x80) != 0);
        return;
    case XCB_CIRCULATE_NOTIFY: handleCirculate(as<xcb_circulate_notify_event_t>(event)); return;
    case XCB_CREATE_NOTIFY: handleCreate(as<xcb_create_notify_event_t>(event)); return;
    case XCB_REPARENT_NOTIFY: handleReparent(as<xcb_reparent_notify_event_t>(event)); return;
    case XCB_MAP_NOTIFY: handleMap(as<xcb_map_notify_event_t>(event)); return;
    case XCB_UNMAP_NOTIFY: handleUnmap(as<xcb_unmap_notify_event_t>(event)); return;
    case XCB_DESTROY_NOTIFY: handleDestroy(as<xcb_destroy_notify_event_t>(event)); return;
    default: return;
    }
}

// The extensions' events (screens, the screen saver, the compositor's
// selection); false for any other.
bool X11EventReader::handleExtension(const xcb_generic_event_t& event, int type) {
    if (hasRandr_ && (type == randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                      type == randrFirstEvent_ + XCB_RANDR_NOTIFY)) {
        publish(X11Event::Kind::screenChanged, kNoWindow);
        return true;
    }
    if (hasScreenSaver_ && type == screenSaverFirstEvent_ + XCB_SCREENSAVER_NOTIFY) {
        const auto& e = as<xcb_screensaver_notify_event_t>(event);
        if (e.state != XCB_SCREENSAVER_STATE_ON && e.state != XCB_SCREENSAVER_STATE_OFF) return true;
        X11Event out;
        out.kind = X11Event::Kind::screenSaverChanged;
        out.screenSaverOn = e.state == XCB_SCREENSAVER_STATE_ON;
        if (handler_) handler_(out);
        return true;
    }
    if (hasXFixes_ && type == xfixesFirstEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto& e = as<xcb_xfixes_selection_notify_event_t>(event);
        X11Event out;
        out.kind = X11Event::Kind::compositorChanged;
        out.composited = e.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && e.owner != XCB_NONE;
        if (handler_) handler_(out);
        return true;
    }
    return false;
}

void X11EventReader::handleProperty(const xcb_property_notify_event_t& e) {
    const xcb_window_t root = x_->root();
    const auto& a = x_->atoms();
    if (e.window == markWindow_ && markWindow_ != kNoWindow) {
        publish(X11Event::Kind::marked, kNoWindow);
        return;
    }
    if (e.window == root) {
        if (e.atom == a.NET_CLIENT_LIST) {
            readClientList();
        } else if (e.atom == a.NET_CLIENT_LIST_STACKING) {
            publish(X11Event::Kind::stackingListChanged, kNoWindow);
        } else if (e.atom == a.NET_ACTIVE_WINDOW) {
            // Told in its turn, once the value is in: the events read
            // meanwhile need not wait for it.
            const auto cookie = x_->getProperty(root, a.NET_ACTIVE_WINDOW);
            replies_.await({cookie.sequence}, [this](std::vector<X11AwaitedReplies::Reply>& replies) {
                const auto active = propertyCardinal(static_cast<const xcb_get_property_reply_t*>(replies[0].get()));
                publish(X11Event::Kind::activeWindowChanged, active.value_or(kNoWindow));
            });
        } else if (e.atom == a.NET_CURRENT_DESKTOP) {
            publish(X11Event::Kind::currentDesktopChanged, kNoWindow);
        } else if (e.atom == a.NET_NUMBER_OF_DESKTOPS) {
            publish(X11Event::Kind::numberOfDesktopsChanged, kNoWindow);
        } else if (e.atom == a.NET_WORKAREA) {
            publish(X11Event::Kind::screenChanged, kNoWindow);
        } else if (e.atom == a.NET_SUPPORTING_WM_CHECK) {
            watchWindowManagerLater();
            publish(X11Event::Kind::windowManagerChanged, kNoWindow);
        }
        return;
    }
    const bool strut = e.atom == a.NET_WM_STRUT_PARTIAL || e.atom == a.NET_WM_STRUT;
    if (!clients_.count(e.window)) {
        // A dock the window manager does not list (selected in watchTopLevels).
        if (strut) publish(X11Event::Kind::screenChanged, kNoWindow);
        return;
    }
    if (e.atom == a.NET_WM_NAME || e.atom == XCB_ATOM_WM_NAME) publish(X11Event::Kind::titleChanged, e.window);
    else if (e.atom == a.NET_WM_STATE || e.atom == a.NET_WM_ALLOWED_ACTIONS) {
        publish(X11Event::Kind::stateChanged, e.window, e.atom);
    }
    else if (e.atom == a.WM_STATE) publish(X11Event::Kind::wmStateChanged, e.window);
    else if (e.atom == a.NET_WM_DESKTOP) publish(X11Event::Kind::desktopChanged, e.window);
    else if (strut) publish(X11Event::Kind::screenChanged, kNoWindow);
    else if (e.atom == a.NET_FRAME_EXTENTS || e.atom == a.GTK_FRAME_EXTENTS) {
        publish(X11Event::Kind::frameChanged, e.window, e.atom);
    }
    else publish(X11Event::Kind::propertyChanged, e.window, e.atom);
}

void X11EventReader::handleConfigure(const xcb_configure_notify_event_t& e, bool synthetic) {
    const xcb_window_t root = x_->root();
    const Rect geometry(e.x, e.y, e.width + 2.0 * e.border_width, e.height + 2.0 * e.border_width);
    if (e.window == root) {
        publish(X11Event::Kind::screenChanged, kNoWindow);
        return;
    }
    if (e.event == root) {
        if (!handledAlready(e)) configureRootChild(e);
        return;
    }
    if (e.event == e.window && !synthetic && frames_.count(e.window) &&
        std::find(stack_.begin(), stack_.end(), e.window) != stack_.end()) {
        frameCopy_ = e;
        configureRootChild(e);
        return;
    }
    if (e.event != e.window || !clients_.count(e.window)) return;
    // The client itself, resized inside its frame. An unmanaged client
    // is its own frame: reported once, through the root.
    if (clientToFrame_.count(e.window) && clientToFrame_.at(e.window) == e.window) return;
    X11Event out;
    out.kind = X11Event::Kind::frameChanged;
    out.window = e.window;
    out.frameWindow = e.window;
    out.geometry = geometry;
    out.size = Size{static_cast<double>(e.width), static_cast<double>(e.height)};
    out.border = e.border_width;
    out.hasGeometry = true;
    out.synthetic = synthetic;
    if (handler_) handler_(out);
}

void X11EventReader::handleCirculate(const xcb_circulate_notify_event_t& e) {
    const xcb_window_t root = x_->root();
    if (e.event != root) return;
    const bool onTop = e.place == XCB_PLACE_ON_TOP;
    const auto at = std::find(stack_.begin(), stack_.end(), e.window);
    if (at == stack_.end()) return;
    const bool moved = onTop ? at + 1 != stack_.end() : at != stack_.begin();
    const xcb_window_t uncovered = moved && at != stack_.begin() ? *(at - 1) : kNoWindow;
    stack_.erase(at);
    if (onTop) stack_.push_back(e.window);
    else stack_.insert(stack_.begin(), e.window);
    emitConfigured(e.window, Rect(), -1, false, moved, uncovered);
}

void X11EventReader::handleCreate(const xcb_create_notify_event_t& e) {
    const xcb_window_t root = x_->root();
    // A new child goes on top of its siblings.
    if (e.parent == root && std::find(stack_.begin(), stack_.end(), e.window) == stack_.end()) {
        stack_.push_back(e.window);
    }
}

void X11EventReader::handleReparent(const xcb_reparent_notify_event_t& e) {
    const xcb_window_t root = x_->root();
    if (e.event == root) {
        const auto at = std::find(stack_.begin(), stack_.end(), e.window);
        if (e.parent == root && at == stack_.end()) stack_.push_back(e.window);
        if (e.parent != root && at != stack_.end()) stack_.erase(at);
        // A window framed by the window manager: its frame may hold a
        // dock that is never listed (i3 frames docks, override-redirect).
        if (e.parent != root && std::find(stack_.begin(), stack_.end(), e.parent) != stack_.end()) {
            framesToWatch_.insert(e.parent);
        }
        return;
    }
    if (e.event != e.window || !clients_.count(e.window)) return;
    findFrames({e.window}, [this, client = e.window](const std::vector<xcb_window_t>& frames) {
        if (!clients_.count(client)) return;  // gone meanwhile
        watchClients({client}, frames);
        // A new frame (a window manager that started, or one that frames
        // the window anew) stands somewhere else in the stacking order.
        publishReparented(client);
    });
}

void X11EventReader::handleMap(const xcb_map_notify_event_t& e) {
    const xcb_window_t root = x_->root();
    if (e.event == e.window && clients_.count(e.window)) {
        publish(X11Event::Kind::mapped, e.window);
    } else if (e.event == root) {
        publishFrameMap(e.window);
        // A window shown that is not a known client's frame may be a
        // dock the window manager does not list.
        const bool framed = framesToWatch_.erase(e.window) > 0;
        if ((framed || !e.override_redirect) && !clientOfFrame(e.window)) watchShownLater(e.window);
    }
}

void X11EventReader::handleUnmap(const xcb_unmap_notify_event_t& e) {
    const xcb_window_t root = x_->root();
    if (e.event == e.window && clients_.count(e.window)) {
        publish(X11Event::Kind::unmapped, e.window);
    } else if (e.event == root) {
        publishFrameMap(e.window);
        if (strutHolders_.erase(e.window) > 0) {
            framesToWatch_.insert(e.window);  // looked at again when it shows again
            publish(X11Event::Kind::screenChanged, kNoWindow);
        }
    }
}

void X11EventReader::forgetFrame(xcb_window_t frame) {
    // The server hands a destroyed window's number to the next window made,
    // often by the same program: a window manager started again frames the
    // windows with the numbers its last run used, each new frame at first
    // 1x1 in the corner and maybe another client's. The client, back on the
    // root or reframed, is watched anew when its reparent is answered.
    const auto f = frameToClient_.find(frame);
    if (f == frameToClient_.end() || f->second == frame) return;
    if (const auto c = clientToFrame_.find(f->second); c != clientToFrame_.end() && c->second == frame) {
        clientToFrame_.erase(c);
    }
    frameToClient_.erase(f);
}

void X11EventReader::handleDestroy(const xcb_destroy_notify_event_t& e) {
    const xcb_window_t root = x_->root();
    if (e.event == root) {
        std::erase(stack_, e.window);
        framesToWatch_.erase(e.window);
        if (strutHolders_.erase(e.window) > 0) publish(X11Event::Kind::screenChanged, kNoWindow);
    }
    forgetFrame(e.window);
    if (frames_.erase(e.window) > 0) return;  // a frame's own copy or the root's, no client
    // Only clients (and the check window) get StructureNotify selected,
    // so this is a client, even when the window manager dropped it from
    // the list just before.
    if (e.event != e.window || e.window == x_->root()) return;
    if (e.window == checkWindow_) {
        checkWindow_ = kNoWindow;
        publish(X11Event::Kind::windowManagerChanged, kNoWindow);
        return;
    }
    if (const auto f = clientToFrame_.find(e.window); f != clientToFrame_.end()) {
        frameToClient_.erase(f->second);
        clientToFrame_.erase(f);
    }
    clients_.erase(e.window);
    publish(X11Event::Kind::destroyed, e.window);
}

}  // namespace tessaly
