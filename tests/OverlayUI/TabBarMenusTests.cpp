// The bar's move menu, its context menu and the group-name prompt.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OverlayUI/FakeOverlay.h"
#include "OverlayUI/GroupNamePrompt.h"
#include "OverlayUI/TabBarMenus.h"
#include "Platform/ManualMainExecutor.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

TEST(TabBarMenusTest, TheMoveMenuCaptionsItsRowsAndTheContextMenuHasNoRulesEntry) {
    std::vector<int> moved;
    const std::vector<DisplayMoveTarget> displays = {{0, "DP-1", false}, {1, "HDMI-1", true}};
    const MenuModel menu = TabBarMenus::moveToDisplayMenu(displays, [&](int index) { moved.push_back(index); });
    ASSERT_EQ(menu.items.size(), 4u);
    EXPECT_EQ(menu.items[0].title, L10n::moveToDisplayHeader());
    EXPECT_FALSE(menu.items[0].enabled);
    EXPECT_FALSE(menu.items[0].handler);
    EXPECT_EQ(menu.items[1].kind, MenuItem::Kind::separator);
    EXPECT_TRUE(menu.items[2].enabled);
    EXPECT_TRUE(menu.items[3].checked);
    EXPECT_FALSE(menu.items[3].enabled);
    menu.items[3].invoke();
    menu.items[2].invoke();
    EXPECT_EQ(moved, (std::vector<int>{0}));
    EXPECT_TRUE(TabBarMenus::moveToDisplayMenu({}, [&](int) {}).empty());

    GroupContextMenu group;
    group.isLocked = true;
    group.onOpenSettings = [&] { moved.push_back(-1); };
    const MenuModel context = TabBarMenus::barContextMenu(group);
    EXPECT_EQ(context.items.front().title, L10n::ctxNameGroup());
    EXPECT_FALSE(context.find(L10n::ctxAutoColorRules()));
    EXPECT_FALSE(context.find(L10n::ctxUngroup())->enabled);
    EXPECT_FALSE(context.find(L10n::ctxMoveToDisplay()));
    context.find(L10n::menuSettings())->invoke();
    EXPECT_EQ(moved.back(), -1);
}

class GroupNamePromptTest : public testing::Test {
protected:
    GroupNamePromptTest() {
        prompt->onRename = [this](const std::optional<std::string>& name) {
            intents.push_back("rename " + (name ? std::to_string(name->size()) + ":" + name->substr(0, 12) : "<none>"));
        };
        prompt->onActivate = [this] { intents.push_back("activate"); };
    }

    std::shared_ptr<FakeGroupNameDialogRecord> dialog() const { return dialogs.back(); }
    void askAndAnswer(const std::string& entered, bool committed) {
        prompt->request([] { return std::optional<std::string>("Work"); });
        executor.runPending();
        dialog()->answer(GroupNameEditOutcome::resolve(entered, committed));
    }

    ManualMainExecutor executor;
    std::vector<std::shared_ptr<FakeGroupNameDialogRecord>> dialogs;
    std::unique_ptr<GroupNamePrompt> prompt = std::make_unique<GroupNamePrompt>(
        std::shared_ptr<MainExecutor>(&executor, [](MainExecutor*) {}), [this] {
            auto made = std::make_unique<FakeGroupNameDialog>();
            dialogs.push_back(made->record);
            return made;
        });
    std::vector<std::string> intents;
};

TEST_F(GroupNamePromptTest, TheDialogOpensAfterTheEventAndItsAnswerRenamesThenActivates) {
    prompt->request([] { return std::optional<std::string>("Work"); });
    EXPECT_TRUE(dialogs.empty());
    executor.runPending();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialog()->currentName, "Work");
    // A second request while it is open only brings it forward.
    prompt->request([] { return std::optional<std::string>(); });
    executor.runPending();
    EXPECT_EQ(dialog()->openCount, 2);
    dialog()->answer(GroupNameEditOutcome::resolve("  Projects \n", true));
    EXPECT_EQ(intents, (std::vector<std::string>{"rename 8:Projects", "activate"}));
    intents.clear();

    // Cancelled: no rename, still activated. Blank, or only invisible characters: cleared.
    askAndAnswer("Ignored", false);
    askAndAnswer(" \t ", true);
    askAndAnswer("\x07\x1b\xe2\x80\x8b", true);
    // Ten thousand characters are a name like any other (labels cut it when shown).
    askAndAnswer(std::string(10000, 'x'), true);
    EXPECT_EQ(intents, (std::vector<std::string>{"activate", "rename <none>", "activate", "rename <none>", "activate",
                                                 "rename 10000:xxxxxxxxxxxx", "activate"}));
    EXPECT_EQ(dialogs.size(), 1u);
}

TEST_F(GroupNamePromptTest, APromptThatGoesAwayAnswersNothing) {
    // A request still queued when the bar goes.
    prompt->request([] { return std::nullopt; });
    prompt.reset();
    executor.runPending();
    EXPECT_TRUE(dialogs.empty());

    // An open dialog answered after the bar went.
    prompt = std::make_unique<GroupNamePrompt>(nullptr, [this] {
        auto made = std::make_unique<FakeGroupNameDialog>();
        dialogs.push_back(made->record);
        return made;
    });
    prompt->onActivate = [this] { intents.push_back("activate"); };
    prompt->request([] { return std::nullopt; });  // without an executor: at once
    ASSERT_TRUE(prompt->isOpen());
    auto record = dialog();
    auto completion = record->completion;
    prompt.reset();
    completion(GroupNameEditOutcome::named("Late"));
    EXPECT_TRUE(intents.empty());
}

}  // namespace
}  // namespace tessaly
