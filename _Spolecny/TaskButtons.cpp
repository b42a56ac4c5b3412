#include "TaskButtons.h"

#include "WindowServices.h"

namespace {

const std::u16string kOverwriteInstruction =
    u"Materiál, který je obsažen v projektu se liší od materiálu v obecném seznamu\n"
    u"Přepsat materiál v projektu obecným?";

} // namespace

int AskOverwriteMaterial(const std::u16string& content, const std::u16string& details)
{
    return AskFourButtonQuestion(kOverwriteInstruction, content, details);
}

int AskFourButtonQuestion(const std::u16string& mainInstruction, const std::u16string& content,
                          const std::u16string& details)
{
    TaskDialogSpec request;
    request.title = kProgramTitle;
    request.mainInstruction = mainInstruction;
    request.content = content;
    request.icon = MessageIcon::Warning;
    request.commonButtons = 0;
    for (const auto& [code, text] : TaskButtonTexts) {
        if (code & kOverwriteButtonMask) request.customButtons.push_back({code, text});
    }
    request.defaultButton = request.customButtons.front().id;
    request.owner = MessageOwner::ActiveWindow;
    request.expandedInformation = details;
    request.expandedInformation = details;

    // Code 2 doubles as the platform's cancel code, so a dismissed dialog reports "Ano".
    switch (GetWindowServices().ShowTaskDialog(request)) {
    case 2:
        return kOverwriteYes;
    case 4:
        return kOverwriteNo;
    case 16:
        return kOverwriteYesForAll;
    case 32:
        return kOverwriteNoForAll;
    default:
        // IDNONE, or a code no button of this question carries (IDOK, IDYES, ...). Passing
        // such a code on could set the yes, no or for-all bits by accident, so it counts as
        // no answer: the main list keeps its material and the next difference asks again.
        return kOverwriteNoAnswer;
    }
}
