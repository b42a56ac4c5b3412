#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct ProfileFixture : ::testing::Test {
    CWexSezMaterialu catalog;
    CWexMaterial material{&catalog, u"PVC", MaterialFilter{}};
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};

    CWexProfil& Add(std::int32_t dn)
    {
        CWexProfil* p = nullptr;
        EXPECT_TRUE(material.AddProfile(dn, &p));
        return *p;
    }

    static std::string LineOf(const CWexException& e)
    {
        std::string text = e.what();
        auto at = text.find("Line ");
        return text.substr(at + 5, text.find(',', at) - at - 5);
    }
};

} // namespace

TEST_F(ProfileFixture, DnModeLabelsFollowOnlyTheDnIndex)
{
    material.m_nDescMode = DescByDn;
    CWexProfil& p = Add(11);
    p.m_fWall = 7.5f;
    p.m_fInnerDiameter = 97.0f;
    p.UpdateLabels();
    EXPECT_EQ(p.Label(), u"DN 100");
    EXPECT_EQ(p.ShortLabel(), u"100");
}

TEST_F(ProfileFixture, OuterByWallLabels)
{
    CWexProfil& p = Add(11);
    p.m_fInnerDiameter = 96.8f;
    p.m_fWall = 6.6f;
    p.UpdateLabels();
    EXPECT_EQ(p.Label(), u"110x6.6");
    EXPECT_EQ(p.ShortLabel(), u"d110");

    p.m_fInnerDiameter = 90.0f;
    p.m_fWall = 10.0f;
    catalog.m_bSaved = true;
    p.UpdateLabels();
    EXPECT_EQ(p.Label(), u"110x10.0");
    EXPECT_FALSE(catalog.m_bSaved) << "every relabelling marks the catalog modified";
}

TEST_F(ProfileFixture, UserDefinedLabelsWithPrefixSuffixAndDiameterChoice)
{
    material.m_nDescMode = DescUserDefined;
    std::u16string(u"DA").copy(material.m_szPrefix, 2);
    CWexProfil& p = Add(11);
    p.m_fInnerDiameter = 96.8f;
    p.m_fWall = 6.6f;
    p.UpdateLabels();
    EXPECT_EQ(p.Label(), u"DA110");
    EXPECT_EQ(p.ShortLabel(), u"d110");

    material.m_bInnerDiameter = true;
    std::u16string(u"mm").copy(material.m_szSuffix, 2);
    p.UpdateLabels();
    EXPECT_EQ(p.Label(), u"DA97mm");
}

TEST_F(ProfileFixture, LabelsThatDoNotFitRaiseWithTheirLine)
{
    material.m_nDescMode = DescUserDefined;
    material.m_bInnerDiameter = true;
    std::u16string(u"ABCD").copy(material.m_szPrefix, 4);
    std::u16string(u"WXYZ").copy(material.m_szSuffix, 4);
    CWexProfil& p = Add(11);
    p.UpdateLabels();
    const std::u16string before = p.Label();

    // Four-character prefix, seven digits, four-character suffix: 15 characters.
    p.m_fInnerDiameter = 1234567.0f;
    p.m_fWall = (110.0f - 1234567.0f) / 2.0f; // keeps the short label d110 valid
    try {
        p.UpdateLabels();
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Nepodařilo se vytvořit popis, Line "));
        EXPECT_EQ(LineOf(e), "47");
    }
    EXPECT_EQ(p.Label(), before) << "a failed relabelling keeps the previous labels";

    // Built from the outer diameter, the short label is built first and fails first.
    material.m_bInnerDiameter = false;
    p.m_fWall = 0.0f;
    try {
        p.UpdateLabels();
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_EQ(LineOf(e), "36");
    }

    p.m_fInnerDiameter = 9999.0f; // ABCD9999WXYZ: 12 characters fit
    EXPECT_NO_THROW(p.UpdateLabels());
    EXPECT_EQ(p.Label(), u"ABCD9999WXYZ");
}

TEST_F(ProfileFixture, OuterDiameterOfTenMetresOverflowsTheShortLabel)
{
    CWexProfil& p = Add(27);
    p.m_fInnerDiameter = 9990.0f;
    p.m_fWall = 5.0f; // outer diameter 10000: "d10000" is six characters
    try {
        p.UpdateLabels();
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_EQ(LineOf(e), "36");
    }
    p.m_fInnerDiameter = 9988.0f; // 9998: fits
    EXPECT_NO_THROW(p.UpdateLabels());
    EXPECT_EQ(p.ShortLabel(), u"d9998");

    material.m_nDescMode = DescOuterXWall;
    p.m_fInnerDiameter = 99999990.0f;
    p.m_fWall = 0.0f;
    EXPECT_THROW(p.UpdateLabels(), CWexException);
}

TEST_F(ProfileFixture, DnOutsideTheTableIsLabelledVisiblyWithoutReadingPastIt)
{
    material.m_nDescMode = DescByDn;
    CWexProfil p(&material, 99);
    p.m_fInnerDiameter = 50.0f;
    p.UpdateLabels();
    EXPECT_EQ(p.Label(), u"DN ?");
    EXPECT_EQ(p.ShortLabel(), u"?");
    CWexProfil negative(&material, -5);
    negative.UpdateLabels();
    EXPECT_EQ(negative.Label(), u"DN ?");
}

TEST_F(ProfileFixture, SetDnMovesTheProfileOrRefuses)
{
    CWexProfil& a = Add(11);
    CWexProfil& b = Add(13);
    const float innerB = b.m_fInnerDiameter;
    EXPECT_FALSE(a.SetDN(11, true)) << "own index";
    EXPECT_FALSE(a.SetDN(13, true)) << "index held by another profile";
    EXPECT_EQ(a.m_nDN, 11);
    EXPECT_EQ(b.m_fInnerDiameter, innerB);
    EXPECT_EQ(material.FindProfile(11), &a);
    EXPECT_EQ(material.FindProfile(13), &b);

    const float wall = a.m_fWall;
    EXPECT_TRUE(a.SetDN(12, true));
    EXPECT_EQ(a.m_nDN, 12);
    EXPECT_EQ(a.m_fInnerDiameter, 125.0f);
    EXPECT_EQ(a.m_fWall, wall);
    EXPECT_EQ(material.FindProfile(11), nullptr);
    EXPECT_EQ(material.FindProfile(12), &a);
    EXPECT_EQ(a.Label(), u"131x3.0");

    EXPECT_TRUE(a.SetDN(14, false));
    EXPECT_EQ(a.m_fInnerDiameter, 125.0f);

    // A host's index outside the table is refused by every entry, as by AddProfile: saved, it
    // would stop the reader and lose every later material.
    for (const std::int32_t outside : {-1, 28, 65535, -70000}) {
        EXPECT_FALSE(a.SetDN(outside, true)) << outside;
        EXPECT_FALSE(material.MoveProfile(&a, outside)) << outside;
        auto made = std::make_unique<CWexProfil>(&material, outside);
        EXPECT_FALSE(material.InsertProfile(std::move(made))) << outside;
    }
    EXPECT_EQ(a.m_nDN, 14);
    EXPECT_EQ(material.m_profiles.size(), 2u);
}

TEST_F(ProfileFixture, CodeSettersAcceptNineCharacters)
{
    CWexProfil& p = Add(11);
    catalog.m_bSaved = true;
    p.SetUrsMaterial(u"123456789");
    EXPECT_EQ(p.UrsMaterial(), u"123456789");
    EXPECT_FALSE(catalog.m_bSaved);
    try {
        p.SetUrsAssembly(u"1234567890");
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_EQ(std::string(e.what()), "Chyba kopírování řetězce, Line 155, \n_Spolecny/_Velmora/CWexMaterial");
    }
    EXPECT_EQ(p.UrsAssembly(), u"") << "a refused code leaves the field as it was";
}

TEST_F(ProfileFixture, ValueCheckAfterReadingReplacesAndReportsOnce)
{
    material.m_nDescMode = DescByDn;
    CWexProfil& p = Add(11);
    p.m_fInnerDiameter = 0.0f;
    p.m_fWall = -1.0f;
    p.CheckValuesAfterReading();
    EXPECT_EQ(p.m_fInnerDiameter, 100.0f);
    EXPECT_EQ(p.m_fWall, 3.0f);
    ASSERT_EQ(services.Prompts().size(), 1u);
    EXPECT_EQ(services.Prompts()[0].Text(),
              "U materiálu PVC byl načteny chybné hodnoty u profilu DN 100, \n"
              "budou nastaveny implicitní hodnoty - po načtení zkontrolujte.");
    EXPECT_EQ(services.Prompts()[0].Title(), "Materiály potrubí");
    EXPECT_EQ(services.Prompts()[0].icon, MessageIcon::None);
}

TEST_F(ProfileFixture, ValueCheckKeepsAZeroWallAndRejectsNanAndInfinity)
{
    CWexProfil& p = Add(13);
    p.m_fWall = 0.0f;
    p.m_fInnerDiameter = 150.0f;
    p.CheckValuesAfterReading();
    EXPECT_EQ(p.m_fWall, 0.0f);
    EXPECT_TRUE(services.Prompts().empty());

    p.m_fInnerDiameter = std::numeric_limits<float>::quiet_NaN();
    p.m_fWall = std::numeric_limits<float>::infinity();
    p.CheckValuesAfterReading();
    EXPECT_EQ(p.m_fInnerDiameter, 150.0f);
    EXPECT_EQ(p.m_fWall, 3.0f);
    EXPECT_EQ(services.Prompts().size(), 1u);
}

TEST_F(ProfileFixture, CopyIsLabelledByItsNewOwner)
{
    CWexProfil& source = Add(11);
    source.m_nWidth = 700;
    source.SetUrsMaterial(u"M1");
    source.SetUrsAssembly(u"A1");
    CWexMaterial other(&catalog, u"Beton", MaterialFilter{});
    other.m_nDescMode = DescByDn;
    CWexProfil copy(&other, source);
    EXPECT_EQ(copy.Label(), u"DN 100");
    EXPECT_EQ(source.Label(), u"110x3.0");
    EXPECT_EQ(copy.m_nWidth, 700);
    EXPECT_EQ(copy.UrsMaterial(), u"M1");
    EXPECT_EQ(copy.UrsAssembly(), u"A1");
    EXPECT_EQ(copy.m_hItem, nullptr);
}

TEST_F(ProfileFixture, DestroyingAUsedProfileNullsEverySlot)
{
    CWexProfil* first = nullptr;
    CWexProfil* second = nullptr;
    CWexProfil& p = Add(11);
    first = &p;
    second = &p;
    p.AddUser(&first);
    p.AddUser(&second);
    p.AddUser(&second);
    EXPECT_EQ(p.m_users.size(), 2u);
    EXPECT_TRUE(p.IsUsed());
    material.RemoveProfile(11);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(second, nullptr);
}
