#include <gtest/gtest.h>

#include "ScriptedWindowServices.h"
#include "TaskButtons.h"

#include <utility>
#include <vector>

namespace {

const std::u16string kContent = u"Přepsat materiál PVC KG v projektu materiálem z obecného seznamu?";

int AskWithAnswer(int servicesAnswer)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    services.QueueAnswer(servicesAnswer);
    return AskOverwriteMaterial(kContent);
}

} // namespace

TEST(TaskButtonTexts, HoldsTheSixButtonsInCodeOrder)
{
    std::vector<std::pair<int, std::u16string>> expected = {
        {1, u"Ok"}, {2, u"Ano"}, {4, u"Ne"}, {8, u"Zrušit"}, {16, u"Ano všem"}, {32, u"Ne všem"}};
    std::vector<std::pair<int, std::u16string>> table(TaskButtonTexts.begin(), TaskButtonTexts.end());
    EXPECT_EQ(table, expected);
}

TEST(AskOverwriteMaterial, ShowsTheWarningTaskDialogWithFourOwnButtonsAnoFirstAndDefault)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    AskOverwriteMaterial(kContent);

    ASSERT_EQ(services.Prompts().size(), 1u);
    const RecordedPrompt& prompt = services.Prompts()[0];
    EXPECT_EQ(prompt.kind, RecordedPrompt::Kind::TaskDialog);
    EXPECT_EQ(prompt.Title(), "Materiály potrubí");
    EXPECT_EQ(prompt.Text(), "Materiál, který je obsažen v projektu se liší od materiálu v obecném seznamu\n"
                             "Přepsat materiál v projektu obecným?");
    EXPECT_EQ(prompt.content, kContent);
    EXPECT_EQ(prompt.icon, MessageIcon::Warning);
    EXPECT_EQ(prompt.owner, MessageOwner::ActiveWindow);
    EXPECT_EQ(prompt.task.commonButtons, 0);
    EXPECT_EQ(prompt.task.defaultButton, 2);

    std::vector<std::pair<int, std::u16string>> buttons;
    for (const TaskDialogButton& b : prompt.task.customButtons) buttons.emplace_back(b.id, b.text);
    std::vector<std::pair<int, std::u16string>> expected = {
        {2, u"Ano"}, {4, u"Ne"}, {16, u"Ano všem"}, {32, u"Ne všem"}};
    EXPECT_EQ(buttons, expected);
}

TEST(AskOverwriteMaterial, MapsEachButtonToItsAnswerCode)
{
    EXPECT_EQ(AskWithAnswer(2), 2);   // "Ano"
    EXPECT_EQ(AskWithAnswer(4), 4);   // "Ne"
    EXPECT_EQ(AskWithAnswer(16), 66); // "Ano všem": yes, for all further materials
    EXPECT_EQ(AskWithAnswer(32), 68); // "Ne všem": no, for all further materials
    EXPECT_EQ(kOverwriteYesForAll, 66);
    EXPECT_EQ(kOverwriteNoForAll, 68);
}

TEST(AskOverwriteMaterial, EnterAndDismissBothAnswerAno)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    EXPECT_EQ(AskOverwriteMaterial(kContent), 2); // nothing queued: the default button, as Enter
    services.QueueAnswer(IDCANCEL);               // Esc or the close box
    EXPECT_EQ(AskOverwriteMaterial(kContent), 2);
}

TEST(AskOverwriteMaterial, QuestionThatCannotBeShownGivesNoAnswer)
{
    EXPECT_EQ(AskWithAnswer(IDNONE), 0);
    // Without installed window services every box fails to show.
    EXPECT_EQ(AskOverwriteMaterial(kContent), 0);
}

TEST(AskOverwriteMaterial, CodeOfNoOfferedButtonGivesNoAnswer)
{
    // IDYES (6) would read as yes and no at once, 66 as a remembered answer: none may pass.
    for (int code : {1, 6, 7, 8, 64, 66, 68, -1}) EXPECT_EQ(AskWithAnswer(code), 0) << code;
}
