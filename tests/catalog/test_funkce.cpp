#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"
#include "TextConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

TEST(ExceptionText, MessageLineAndSourceOnTwoLines)
{
    CWexException e("Adresář nelze založit", 251, "_Spolecny/CWexRegistry");
    EXPECT_STREQ(e.what(), "Adresář nelze založit, Line 251, \n_Spolecny/CWexRegistry");
}

TEST(ExceptionText, ErrorCodeFormat)
{
    CWexException e("Chyba: ", 34, 679, "_Spolecny/CWexFunkce");
    EXPECT_STREQ(e.what(), "Chyba: , Err: 34, Line 679, \n_Spolecny/CWexFunkce");
}

TEST(ExceptionText, CopyKeepsText)
{
    CWexException e("a", 1, "b");
    CWexException copy = e;
    EXPECT_STREQ(copy.what(), e.what());
    EXPECT_NE(copy.what(), e.what());
}

TEST(ExceptionText, LongTextIsCutAt510CharactersNeverMidCharacter)
{
    // 600 two-byte characters: the cut must fall between characters.
    std::string message;
    for (int i = 0; i < 600; ++i) message += "č";
    CWexException e(message.c_str(), 1, "src");
    std::u16string text = Utf8ToUtf16(e.what());
    EXPECT_EQ(text.size(), 510u);
    EXPECT_EQ(text.find(u'\uFFFD'), std::u16string::npos);
    EXPECT_EQ(text, std::u16string(510, u'č'));
}

TEST(CopyToBuffer, FitsWithTerminatorOrThrowsWithErrorCode)
{
    char16_t buffer[5];
    CopyToBuffer(buffer, 5, u"abcd");
    EXPECT_EQ(std::u16string(buffer), u"abcd");

    try {
        CopyToBuffer(buffer, 5, u"abcde");
        FAIL() << "a 5-character text must not fit a buffer of 5";
    } catch (const CWexException& e) {
        EXPECT_STREQ(e.what(), "Nepodařilo se zkopírovat C type řetězec - chyba: , Err: 34, Line 679, \n"
                               "_Spolecny/CWexFunkce");
    }
    EXPECT_EQ(buffer[0], 0);
    EXPECT_THROW(CopyToBuffer(nullptr, 5, u"a"), CWexException);
}

TEST(CompareMaterialNames, LowersThenComparesCodeUnits)
{
    CWexSezMaterialu catalog;
    std::vector<std::u16string> names = {u"čáp", u"dub", u"Cap", u"Zub", u"Čep", u"zábor", u"zima"};
    std::vector<std::unique_ptr<CWexMaterial>> materials;
    for (const auto& n : names) materials.push_back(std::make_unique<CWexMaterial>(&catalog, n, MaterialFilter{}));
    std::vector<const CWexMaterial*> order;
    for (const auto& m : materials) order.push_back(m.get());
    std::stable_sort(order.begin(), order.end(), [](const CWexMaterial* a, const CWexMaterial* b) {
        return CompareMaterialNames(a, b, 0) < 0;
    });
    std::vector<std::u16string> sorted;
    for (const auto* m : order) sorted.push_back(m->m_strName);
    // Accented letters come after every unaccented one: z+i and Z+u before z+á, Č+e before č+á.
    EXPECT_EQ(sorted, (std::vector<std::u16string>{u"Cap", u"dub", u"zima", u"Zub", u"zábor", u"Čep", u"čáp"}));
}

TEST(CompareMaterialNames, CaseOnlyDifferenceIsEqual)
{
    EXPECT_EQ(CompareNamesIgnoringCase(u"PVC KG", u"pvc kg"), 0);
    EXPECT_EQ(CompareNamesIgnoringCase(u"ČÁP", u"čáp"), 0);
    EXPECT_LT(CompareNamesIgnoringCase(u"ab", u"abc"), 0);
    EXPECT_EQ(LowerCodeUnit(u'Ř'), u'ř');
}

// Long lists are sorted on keys lowered once; two keys must compare as the names do, also
// where one name is a prefix of the other or the names differ only in case.
TEST(CompareMaterialNames, SortKeysOrderAsTheNames)
{
    const std::vector<std::u16string> names = {u"čáp", u"ČÁP", u"Cap", u"cap", u"CAPA", u"ca", u"", u"Řád",
                                               u"řada", u"PE 100", u"pe 1000", u"PE 10", u"Ž", u"z", u"~x"};
    for (const auto& a : names) {
        for (const auto& b : names) {
            std::u16string keyA, keyB;
            AppendNameSortKey(keyA, a);
            AppendNameSortKey(keyB, b);
            const int byKeys = keyA.compare(keyB);
            const int byNames = CompareNamesIgnoringCase(a, b);
            EXPECT_EQ((byKeys > 0) - (byKeys < 0), byNames) << Utf16ToUtf8(a) << " / " << Utf16ToUtf8(b);
        }
    }
    std::u16string keys = u"x";
    AppendNameSortKey(keys, u"ŘÁD");
    EXPECT_EQ(keys, u"xřád") << "appended to what the buffer holds";
}

TEST(ShowException, ShowsTextInformationBoxWithoutOwner)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    ShowException(CWexException("Nelze", 5, "src"));
    ShowException(std::out_of_range("invalid string position"));
    ShowException(std::runtime_error(""));
    ASSERT_EQ(services.Prompts().size(), 2u);
    EXPECT_EQ(services.Prompts()[0].Title(), "Program vyvolal výjimku");
    EXPECT_EQ(services.Prompts()[0].Text(), "Nelze, Line 5, \nsrc");
    EXPECT_EQ(services.Prompts()[0].icon, MessageIcon::Information);
    EXPECT_EQ(services.Prompts()[0].owner, MessageOwner::None);
    EXPECT_EQ(services.Prompts()[1].Text(), "invalid string position");
}

TEST(TextConvert, NumbersIgnoreTheProcessLocale)
{
    EXPECT_EQ(FormatFixed(6.6f, 1), "6.6");
    EXPECT_EQ(FormatFixed(0.01f, 5), "0.01000");
    EXPECT_EQ(FormatFixed(109.5, 0), "110");
    EXPECT_EQ(ParseLeadingNumber(u"  +0.5mm").value(), 0.5);
    EXPECT_EQ(ParseLeadingNumber(u"-3").value(), -3.0);
    EXPECT_FALSE(ParseLeadingNumber(u"abc").has_value());
    EXPECT_FALSE(ParseLeadingNumber(u"").has_value());
}

// The labels format numbers on a short path of their own; it must give printf's digits,
// ties rounded to even, negative zero signed, for floats and for doubles it cannot take.
TEST(TextConvert, FixedFormatMatchesPrintf)
{
    std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.25, 0.125, 0.05, 109.5, 110.5, -0.4,
                                  1e15, 9007199254740993.0, 123456789.125, 1e300, 5e-324, 0.1, 2.675};
    std::uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float f = static_cast<float>(seed % 2000000) / 1000.0f - 100.0f;
        values.push_back(f);
        values.push_back(static_cast<double>(seed) / 7.0);
        values.push_back(static_cast<float>(seed % 1000) / 8.0f);
    }
    for (double value : values) {
        for (int precision = 0; precision <= 7; ++precision) {
            char expected[512];
            std::snprintf(expected, sizeof expected, "%.*f", precision, value);
            ASSERT_EQ(FormatFixed(value, precision), expected) << "precision " << precision;
        }
    }
    EXPECT_EQ(FormatFixed(-0.3, 0), "-0");
    EXPECT_EQ(FormatFixed(-0.0, 1), "-0.0");
}

TEST(TextConvert, Utf8RoundTripAndMalformedInput)
{
    std::string czech = "Příliš žluťoučký kůň 🐎";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(czech)), czech);
    EXPECT_EQ(Utf8ToUtf16("\xC4"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}
