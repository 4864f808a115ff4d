#include "TessalyApp/Qt/MemberLossPrompt.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

QAbstractButton* buttonTitled(QMessageBox& box, const QString& title) {
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == title) return button;
    }
    return nullptr;
}

TEST(MemberLossPromptTests, TheFirstButtonGoesAheadAndEveryOtherWayOutCancelsOnce) {
    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    const MemberLossAlert alert = MemberLossAlert::make(RelaunchCause::restart, 2);
    std::vector<bool> answers;
    const auto record = [&](bool goAhead) { answers.push_back(goAhead); };
    MemberLossPrompt prompt;  // after what its answers reach: it may answer when it goes

    prompt.ask(alert, record);
    QMessageBox* box = prompt.box();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), "2 windows will leave their groups");
    EXPECT_EQ(box->informativeText().toStdString(), L10n::restartDetachAlertBody());
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->defaultButton()->text(), "Restart Anyway");
    buttonTitled(*box, "Restart Anyway")->click();
    EXPECT_EQ(answers, (std::vector<bool>{true}));

    prompt.ask(alert, record);
    prompt.box()->reject();  // Escape or the close button
    prompt.ask(alert, record);
    buttonTitled(*prompt.box(), "Cancel")->click();
    EXPECT_EQ(answers, (std::vector<bool>{true, false, false}));

    // Asked again while open: the earlier question is answered "cancel";
    // one still open when the prompt goes is too.
    prompt.ask(alert, record);
    prompt.ask(alert, record);
    EXPECT_EQ(answers.size(), 4u);
    EXPECT_FALSE(answers.back());
    {
        MemberLossPrompt shortLived;
        shortLived.ask(alert, record);
    }
    EXPECT_EQ(answers.size(), 5u);
    EXPECT_FALSE(answers.back());
}

}  // namespace
}  // namespace tessaly
