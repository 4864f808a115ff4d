#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/Sim/SimEnvironment.h"
#include "PrivateAPIs/AXPrivate.h"
#include "PrivateAPIs/Capabilities.h"
#include "PrivateAPIs/SkyLight.h"

namespace tessaly {
namespace {

// Symbols under the test's control; records which functions were called.
class FakeSymbols final : public PrivateSymbols {
public:
    std::optional<WindowServerFunctions> functions;
    AXGetWindowFunction getWindow;
    int opens = 0;

    AXGetWindowFunction axGetWindow() override { return getWindow; }
    std::optional<WindowServerFunctions> openWindowServer() override {
        ++opens;
        return functions;
    }
};

WindowServerFunctions recordingFunctions(std::vector<std::string>& calls, bool makesTransactions = true) {
    WindowServerFunctions f;
    f.mainConnectionID = [&calls] {
        calls.push_back("connection");
        return 7;
    };
    f.transactionCreate = [&calls, makesTransactions](WindowServerConnection) -> TransactionRef {
        calls.push_back("create");
        return makesTransactions ? std::make_shared<WindowServerTransaction>() : nullptr;
    };
    f.transactionOrderWindow = [&calls](const TransactionRef&, WindowID w, std::int32_t order, WindowID rel) {
        calls.push_back("order " + std::to_string(w) + " " + std::to_string(order) + " " + std::to_string(rel));
    };
    f.transactionCommit = [&calls](const TransactionRef&, std::int32_t sync) {
        calls.push_back("commit " + std::to_string(sync));
        return WindowServerError{0};
    };
    return f;
}

TEST(SkyLight, OrdersInOneAsynchronousTransaction) {
    std::vector<std::string> calls;
    auto symbols = std::make_shared<FakeSymbols>();
    symbols->functions = recordingFunctions(calls);
    const SkyLight skyLight(symbols);
    EXPECT_TRUE(skyLight.order(40, SkyLight::Order::below, 41));
    EXPECT_EQ(calls, (std::vector<std::string>{"connection", "create", "order 40 -1 41", "commit 0"}));
    EXPECT_TRUE(skyLight.order(40, SkyLight::Order::above, 41));
    EXPECT_EQ(symbols->opens, 1);  // looked up once
}

TEST(SkyLight, MissingLibraryOrFunctionAnswersFalseWithoutCalls) {
    auto absent = std::make_shared<FakeSymbols>();
    EXPECT_FALSE(SkyLight(absent).order(1, SkyLight::Order::above, 2));
    EXPECT_FALSE(SkyLight(absent).withTransaction(true, [](const TransactionRef&) { FAIL(); }).has_value());

    std::vector<std::string> calls;
    auto partial = std::make_shared<FakeSymbols>();
    partial->functions = recordingFunctions(calls);
    partial->functions->transactionOrderWindow = nullptr;
    EXPECT_FALSE(SkyLight(partial).order(1, SkyLight::Order::above, 2));
    EXPECT_TRUE(calls.empty());
}

TEST(SkyLight, NoTransactionNoBody) {
    std::vector<std::string> calls;
    auto symbols = std::make_shared<FakeSymbols>();
    symbols->functions = recordingFunctions(calls, false);
    const SkyLight skyLight(symbols);
    bool ran = false;
    EXPECT_FALSE(skyLight.withTransaction(false, [&](const TransactionRef&) { ran = true; }).has_value());
    EXPECT_FALSE(ran);
    EXPECT_FALSE(skyLight.order(1, SkyLight::Order::out, 2));
}

TEST(SkyLight, SynchronousTransactionCommitsWithFlagOne) {
    std::vector<std::string> calls;
    auto symbols = std::make_shared<FakeSymbols>();
    symbols->functions = recordingFunctions(calls);
    const auto result = SkyLight(symbols).withTransaction(true, [&](const TransactionRef&) { calls.push_back("body"); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"connection", "create", "body", "commit 1"}));
}

TEST(SkyLight, OrderRawValues) {
    EXPECT_EQ(SkyLight::orderFromRawValue(1), SkyLight::Order::above);
    EXPECT_EQ(SkyLight::orderFromRawValue(-1), SkyLight::Order::below);
    EXPECT_EQ(SkyLight::orderFromRawValue(0), SkyLight::Order::out);
    EXPECT_FALSE(SkyLight::orderFromRawValue(2).has_value());
    EXPECT_EQ(SkyLight::rawValue(SkyLight::Order::below), -1);
}

TEST(SkyLight, SimulatedWindowServerRecordsOrderings) {
    SimEnvironment env;
    const SkyLight skyLight(env.services.privateSymbols);
    EXPECT_TRUE(CapabilityProbe::verifyOrdering(skyLight, 90, 7));
    EXPECT_EQ(env.desktop->committedOrderings(), (std::vector<SimDesktop::Ordering>{{90, 1, 7}}));

    SimEnvironment without;
    without.desktop->setPrivateWindowServerAvailable(false);
    EXPECT_FALSE(SkyLight(without.services.privateSymbols).order(90, SkyLight::Order::above, 7));
}

TEST(Capabilities, ProbeAndDisabling) {
    SimEnvironment env;
    const SkyLight skyLight(env.services.privateSymbols);
    const AXPrivate axPrivate(env.services.privateSymbols);
    EXPECT_EQ(CapabilityProbe::resolveSymbols(skyLight, axPrivate), (Capabilities{true, true, true}));

    SimEnvironment without;
    without.desktop->setPrivateWindowServerAvailable(false);
    const Capabilities found = CapabilityProbe::resolveSymbols(SkyLight(without.services.privateSymbols),
                                                               AXPrivate(without.services.privateSymbols));
    EXPECT_EQ(found, (Capabilities{false, false, true}));

    EXPECT_EQ((Capabilities{true, true, false}).disablingPrivateAPIs(true), (Capabilities{false, false, false}));
    EXPECT_EQ((Capabilities{true, true, true}).disablingPrivateAPIs(true), (Capabilities{false, false, true}));
    EXPECT_EQ((Capabilities{true, false, true}).disablingPrivateAPIs(false), (Capabilities{true, false, true}));
}

TEST(AXPrivate, AbsentWhenTheFunctionFailsOrWritesZero) {
    auto symbols = std::make_shared<FakeSymbols>();
    EXPECT_FALSE(AXPrivate(symbols).windowID(AXElement{1, 5}).has_value());
    WindowID written = 0;
    AXError answer = AXError::success;
    symbols->getWindow = [&](const AXElement&, WindowID* out) {
        *out = written;
        return answer;
    };
    const AXPrivate axPrivate(symbols);
    EXPECT_FALSE(axPrivate.windowID(AXElement{1, 5}).has_value());  // success, but 0
    written = 12;
    EXPECT_EQ(axPrivate.windowID(AXElement{1, 5}), 12u);
    answer = AXError::failure;
    EXPECT_FALSE(axPrivate.windowID(AXElement{1, 5}).has_value());
}

}  // namespace
}  // namespace tessaly
