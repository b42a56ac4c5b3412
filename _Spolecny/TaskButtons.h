#pragma once
// The four-button overwrite question that a reading asks when a material it brings differs
// from the one of the same name in the main list, and the table of button texts the
// program's task dialogs take their custom buttons from.

#include <map>
#include <string>

// Button code -> button text, in ascending code order. The codes are bits, so a mask picks
// the buttons a dialog offers.
inline const std::map<int, std::u16string> TaskButtonTexts = {
    {1, u"Ok"},
    {2, u"Ano"},
    {4, u"Ne"},
    {8, u"Zrušit"},
    {16, u"Ano všem"},
    {32, u"Ne všem"},
};

// Answers of AskOverwriteMaterial. Bit 2 is yes, bit 4 is no; bit 64 extends the answer to
// every further material of the same reading.
enum OverwriteAnswer : int {
    kOverwriteNoAnswer = 0,
    kOverwriteYes = 2,
    kOverwriteNo = 4,
    kOverwriteForAll = 64,
    kOverwriteYesForAll = kOverwriteForAll | kOverwriteYes,
    kOverwriteNoForAll = kOverwriteForAll | kOverwriteNo,
};

// The buttons "Ano", "Ne", "Ano všem", "Ne všem" (the mask of their codes).
inline constexpr int kOverwriteButtonMask = 0x36;

// Asks whether the main list's material should overwrite the project's one. `content` is
// the per-material question, already formatted by the caller; `details`, when not empty, is
// what differs, shown on request below it. Returns kOverwriteYes, kOverwriteNo,
// kOverwriteYesForAll or kOverwriteNoForAll; kOverwriteNoAnswer when the question cannot be
// shown or the window services answer with a code that is not one of the four buttons. Dismissing the question answers kOverwriteYes.
int AskOverwriteMaterial(const std::u16string& content, const std::u16string& details = {});
// The same four buttons, answers and defaults under another main instruction.
int AskFourButtonQuestion(const std::u16string& mainInstruction, const std::u16string& content,
                          const std::u16string& details = {});
