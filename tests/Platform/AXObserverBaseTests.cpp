// The observer bookkeeping shared by the backends.
#include "Platform/AXObserverBase.h"

#include "Platform/ManualQueueFactory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

TEST(AXObserverBase, DeliversWhatWasRegisteredUntilInvalidated) {
    const ProcessID pid = 42;
    const AXElement app = AXElement::application(pid);
    const AXElement window{pid, 7};
    auto state = std::make_shared<AXObserverState>(pid);
    AXObserverBase observer(state);
    auto queue = std::make_shared<ManualQueue>("held");
    std::vector<std::pair<AXElement, std::string>> heard;

    state->deliver(window, "AXWindowMoved", {window});
    EXPECT_EQ(queue->queuedCount(), 0u) << "not started";
    observer.start(queue, [&](const AXElement& e, const std::string& name) { heard.emplace_back(e, name); });
    ASSERT_EQ(observer.addNotification(app, "AXWindowMoved"), AXError::success);
    EXPECT_EQ(observer.addNotification(app, "AXWindowMoved"), AXError::notificationAlreadyRegistered);

    state->deliver(window, "AXWindowMoved", {window, app});  // registered on the application
    state->deliver(window, "AXWindowResized", {window, app});
    state->deliverUnregistered(window, "AXTitleChanged");
    queue->runAll();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0], std::make_pair(window, std::string("AXWindowMoved")));
    EXPECT_EQ(heard[1], std::make_pair(window, std::string("AXTitleChanged")));

    EXPECT_EQ(observer.removeNotification(app, "AXWindowMoved"), AXError::success);
    EXPECT_EQ(observer.removeNotification(app, "AXWindowMoved"), AXError::notificationNotRegistered);
    ASSERT_EQ(observer.addNotification(window, "AXWindowMoved"), AXError::success);
    state->clearRegistrations();
    state->deliver(window, "AXWindowMoved", {window});
    EXPECT_EQ(queue->queuedCount(), 0u) << "registrations cleared";
    EXPECT_TRUE(state->isValid());

    // Work queued before invalidation still runs; nothing is queued after.
    state->deliverUnregistered(window, "AXUIElementDestroyed");
    observer.invalidate();
    observer.invalidate();
    EXPECT_FALSE(state->isValid());
    EXPECT_EQ(observer.addNotification(window, "AXWindowMoved"), AXError::invalidElement);
    state->deliverUnregistered(window, "AXTitleChanged");
    observer.start(queue, [&](const AXElement&, const std::string&) { ADD_FAILURE() << "restarted"; });
    state->deliverUnregistered(window, "AXTitleChanged");
    queue->runAll();
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[2].second, "AXUIElementDestroyed");
}

// A backend that refuses other processes' elements and hears of the start.
class OwnProcessObserver final : public AXObserverBase {
public:
    using AXObserverBase::AXObserverBase;
    int starts = 0;

private:
    void started() override { ++starts; }
    bool accepts(const AXElement& element) const override { return element.pid == state()->pid(); }
};

TEST(AXObserverBase, BackendHooks) {
    OwnProcessObserver observer(std::make_shared<AXObserverState>(5));
    EXPECT_EQ(observer.addNotification(AXElement::application(6), "AXWindowCreated"), AXError::illegalArgument);
    EXPECT_EQ(observer.addNotification(AXElement::application(5), "AXWindowCreated"), AXError::success);
    observer.start(std::make_shared<ManualQueue>("held"), [](const AXElement&, const std::string&) {});
    EXPECT_EQ(observer.starts, 1);
    observer.invalidate();
    observer.start(std::make_shared<ManualQueue>("held"), [](const AXElement&, const std::string&) {});
    EXPECT_EQ(observer.starts, 1) << "not after invalidation";
}

}  // namespace
}  // namespace tessaly
