// The profile table of a material: DN order however the sizes arrive, profiles that never
// move in memory, and profile records read from a file in any order.

#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<std::int32_t> DnsOf(const CWexMaterial& m)
{
    std::vector<std::int32_t> dns;
    for (const auto& [dn, profile] : m.m_profiles) {
        EXPECT_EQ(dn, profile->m_nDN);
        dns.push_back(dn);
    }
    return dns;
}

// A catalog file of one material "PE" whose profile records stand in the order of `dns`.
Bytes CatalogWithProfilesInOrder(const std::vector<std::int32_t>& dns, std::int32_t descMode = DescOuterXWall)
{
    CWexSezMaterialu catalog;
    auto material = std::make_unique<CWexMaterial>(&catalog, u"PE", MaterialFilter{});
    material->m_strDrawingName = u"PE";
    material->m_nDescMode = descMode;
    CWexMaterial* pe = material.get();
    catalog.Insert(std::move(material));
    Bytes bytes = WriteCatalog(catalog);
    // ... 0xFF (end of the profiles), the drawing name (FF FE FF 02 'P' 0 'E' 0), 0xFF (end of catalog).
    const auto endOfProfiles = bytes.end() - 1 - 8 - 1;
    EXPECT_EQ(*endOfProfiles, 0xFF);
    Bytes records;
    for (std::int32_t dn : dns) {
        CWexProfil profile(pe, dn);
        profile.m_fInnerDiameter = 100.0f + static_cast<float>(dn & 0xFF);
        profile.m_fWall = 4.0f;
        MemorySink sink(records);
        CWexArchive ar(sink);
        profile.Serialize(ar);
        ar.Close();
    }
    bytes.insert(endOfProfiles, records.begin(), records.end());
    return bytes;
}

class ProfileTableTest : public ::testing::Test {
protected:
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
};

TEST_F(ProfileTableTest, SizesAddedInAnyOrderStandInDnOrderAndNeverMove)
{
    CWexMaterial m(&catalog, u"PE", MaterialFilter{});
    CWexProfil* dn20 = nullptr;
    ASSERT_TRUE(m.AddProfile(20, &dn20));
    for (std::int32_t dn : {3, 27, 0, 11}) ASSERT_TRUE(m.AddProfile(dn));
    EXPECT_FALSE(m.AddProfile(11)) << "one profile per DN";
    EXPECT_EQ(DnsOf(m), (std::vector<std::int32_t>{0, 3, 11, 20, 27}));
    EXPECT_EQ(m.FindProfile(20), dn20) << "inserting before it does not move a profile";
    EXPECT_EQ(m.FindProfile(5), nullptr);

    // Moving a profile to another DN keeps the object and re-sorts the table.
    ASSERT_TRUE(dn20->SetDN(1, false));
    EXPECT_EQ(DnsOf(m), (std::vector<std::int32_t>{0, 1, 3, 11, 27}));
    EXPECT_EQ(m.FindProfile(1), dn20);
    EXPECT_FALSE(dn20->SetDN(27, false)) << "a DN held by another profile";
    EXPECT_EQ(dn20->m_nDN, 1);

    EXPECT_TRUE(m.RemoveProfile(3));
    EXPECT_FALSE(m.RemoveProfile(3));
    EXPECT_EQ(DnsOf(m), (std::vector<std::int32_t>{0, 1, 11, 27}));
    EXPECT_EQ(m.FindProfile(1), dn20);

    // A copy holds its own profiles in the same order.
    CWexMaterial copy(&catalog, m);
    EXPECT_EQ(DnsOf(copy), DnsOf(m));
    EXPECT_NE(copy.FindProfile(1), dn20);
    EXPECT_EQ(copy.FindProfile(1)->m_pMaterial, &copy);
}

TEST_F(ProfileTableTest, ProfilesReadOutOfOrderAreStoredAndWrittenInDnOrder)
{
    const Bytes unordered = CatalogWithProfilesInOrder({20, 3, 11, 0, 27, 4});
    ASSERT_EQ(ReadCatalog(unordered, catalog), 3);
    const CWexMaterial& pe = *catalog.Find(u"PE");
    EXPECT_EQ(DnsOf(pe), (std::vector<std::int32_t>{0, 3, 4, 11, 20, 27}));
    EXPECT_EQ(pe.FindProfile(11)->m_fInnerDiameter, 111.0f);
    EXPECT_EQ(pe.FindProfile(11)->Label(), u"119x4.0");
    EXPECT_TRUE(services.Prompts().empty());
    EXPECT_EQ(WriteCatalog(catalog), CatalogWithProfilesInOrder({0, 3, 4, 11, 20, 27}));
}

TEST_F(ProfileTableTest, DuplicateDnIsRefusedAlsoAfterTheOrderBroke)
{
    for (const auto& dns : {std::vector<std::int32_t>{5, 2, 5}, std::vector<std::int32_t>{5, 2, 9, 2},
                            std::vector<std::int32_t>{-300, 7, -300}}) {
        CWexSezMaterialu fresh;
        try {
            ReadCatalog(CatalogWithProfilesInOrder(dns), fresh);
            ADD_FAILURE() << "read without a failure";
        } catch (const CWexException& e) {
            EXPECT_STREQ(e.what(), "Nelze vložit nový profil, Line 434, \n_Spolecny/_Velmora/CWexMaterial");
        }
        EXPECT_TRUE(fresh.m_materials.empty());
    }
}

// A damaged file can list thousands of sizes outside the DN table, in reverse: each is put in
// its place once, and the far ends of the 16-bit field are told apart.
TEST_F(ProfileTableTest, LongListInReverseAndTheExtremeIndexesAreRead)
{
    std::vector<std::int32_t> dns;
    for (std::int32_t dn = 32767; dn > 32767 - 20000; --dn) dns.push_back(dn);
    dns.push_back(-32768);
    dns.push_back(-2);
    ASSERT_EQ(ReadCatalog(CatalogWithProfilesInOrder(dns, DescByDn), catalog), 3);
    const CWexMaterial& pe = *catalog.Find(u"PE");
    std::vector<std::int32_t> expected = dns;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(DnsOf(pe), expected);
    EXPECT_EQ(pe.FindProfile(-32768)->Label(), u"DN ?");
    EXPECT_EQ(pe.FindProfile(32767)->m_fInnerDiameter, 100.0f + 0xFF);
    EXPECT_TRUE(services.Prompts().empty());
}

} // namespace
