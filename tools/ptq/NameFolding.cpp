#include "NameFolding.h"

namespace {

// The base letter of U+00C0 to U+017F, in lower case; '_' keeps the character (the
// multiplication and division signs).
constexpr char kLatinBase[] = "aaaaaaaceeeeiiiidnooooo_ouuuuytsaaaaaaaceeeeiiiidnooooo_ouuuuytyaaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(sizeof kLatinBase - 1 == 0x180 - 0xC0);

} // namespace

std::u16string FoldName(const std::u16string& name)
{
    std::u16string folded = name;
    for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        } else if (c >= 0xC0 && c < 0x180 && kLatinBase[c - 0xC0] != '_') {
            c = static_cast<char16_t>(kLatinBase[c - 0xC0]);
        }
    }
    return folded;
}
