// Workspace notification handlers: chosen by kind when the delivery runs,
// and silent once the registry has gone.
#include "Platform/WorkspaceObservers.h"

#include "Platform/ManualMainExecutor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tessaly {
namespace {

TEST(WorkspaceObserversTest, DeliversOnTheExecutorToTheHandlersRegisteredThen) {
    ManualMainExecutor main;
    auto observers = std::make_shared<WorkspaceObservers>();
    std::vector<std::string> heard;
    auto first =
        observers->add(WorkspaceNotification::didWake, [&](const WorkspaceEvent&) { heard.push_back("first"); });
    const auto sleep =
        observers->add(WorkspaceNotification::willSleep, [&](const WorkspaceEvent&) { heard.push_back("sleep"); });

    observers->post(main, {WorkspaceNotification::didWake, std::nullopt});
    EXPECT_TRUE(heard.empty());  // nothing runs before the executor does
    const auto second =
        observers->add(WorkspaceNotification::didWake, [&](const WorkspaceEvent&) { heard.push_back("second"); });
    first.cancel();
    main.runPending();
    EXPECT_EQ(heard, std::vector<std::string>{"second"});
}

TEST(WorkspaceObserversTest, AQueuedDeliveryOutlivingTheRegistryDoesNothing) {
    ManualMainExecutor main;
    auto observers = std::make_shared<WorkspaceObservers>();
    int calls = 0;
    const auto observer = observers->add(WorkspaceNotification::didWake, [&](const WorkspaceEvent&) { ++calls; });
    observers->post(main, {WorkspaceNotification::didWake, std::nullopt});
    observers.reset();
    main.runPending();
    EXPECT_EQ(calls, 0);

}

}  // namespace
}  // namespace tessaly
