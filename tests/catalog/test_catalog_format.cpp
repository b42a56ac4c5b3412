// The catalog file format: the 60-byte example, the golden files of every record version,
// and byte-exact round trips.

#include "CWexSezMaterialu.h"
#include "PipeTables.h"
#include "ScriptedWindowServices.h"
#include "TextConvert.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace {

const Bytes kSixtyBytes{
    0x03,
    0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0xFF, 0x03, 0x50, 0x00, 0x56, 0x00, 0x43, 0x00,
    0xFF, 0xFE, 0xFF, 0x00, 0xFF, 0xFE, 0xFF, 0x00,
    0x0A, 0xD7, 0x23, 0x3C, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x07, 0x0B, 0x00, 0x00, 0x00, 0xC8, 0x42, 0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xFF,
    0xFF,
};

class CatalogFormat : public ::testing::Test {
protected:
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
};

TEST_F(CatalogFormat, SixtyByteExampleIsWrittenAndReadBack)
{
    CWexSezMaterialu catalog;
    auto pvc = std::make_unique<CWexMaterial>(&catalog, u"PVC", MaterialFilter{2, 1});
    pvc->m_nDescMode = DescByDn;
    pvc->m_fRoughness = 0.01f;
    pvc->m_nPN = 0;
    pvc->m_nSDR = 0;
    ASSERT_TRUE(pvc->AddProfile(11));
    ASSERT_TRUE(catalog.Insert(std::move(pvc)).second);

    EXPECT_EQ(WriteCatalog(catalog, false, 5), kSixtyBytes);

    CWexSezMaterialu read;
    EXPECT_EQ(ReadCatalog(kSixtyBytes, read), 3);
    ASSERT_EQ(read.m_materials.size(), 1u);
    const CWexMaterial& m = *read.Find(u"PVC");
    EXPECT_EQ(m.m_strDrawingName, u"PVC"); // version 5 has none: the name stands in
    EXPECT_EQ(m.m_nDescMode, DescByDn);
    EXPECT_EQ(m.m_fRoughness, 0.01f);
    EXPECT_EQ(m.m_nPurposes, 1u);
    EXPECT_EQ(m.m_nGroup, 2u);
    ASSERT_EQ(m.m_profiles.size(), 1u);
    const CWexProfil& p = *m.FindProfile(11);
    EXPECT_EQ(p.m_fInnerDiameter, 100.0f);
    EXPECT_EQ(p.m_fWall, 3.0f);
    EXPECT_EQ(p.Label(), u"DN 100");
    EXPECT_TRUE(read.m_bSaved);
    EXPECT_TRUE(services.Prompts().empty());
    EXPECT_EQ(WriteCatalog(read, false, 5), kSixtyBytes);
}

// The reference content of the golden files (see tests/fixtures/make_fixtures.py), as the
// record versions of a file let it through.
void ExpectReference(const CWexMaterial& m, int materialVersion, int profileVersion)
{
    SCOPED_TRACE("material v" + std::to_string(materialVersion) + ", profile v" + std::to_string(profileVersion));
    EXPECT_EQ(m.m_strName, u"Kamenina");
    EXPECT_EQ(m.m_strDetail, u"Kameninové trouby");
    EXPECT_EQ(m.m_strManufacturer, u"Keramo");
    EXPECT_EQ(m.m_fRoughness, 0.25f);
    EXPECT_EQ(m.m_nPurposes, 5u);
    EXPECT_EQ(m.m_nGroup, 2u);
    EXPECT_EQ(m.m_nPN, 3);
    EXPECT_EQ(m.m_nSDR, -1);
    EXPECT_EQ(m.m_nShape, materialVersion >= 5 ? 1u : 0u);
    EXPECT_EQ(m.m_strDrawingName, materialVersion == 6 ? u"KAM" : u"Kamenina");
    if (materialVersion >= 3) {
        EXPECT_EQ(m.m_nDescMode, DescUserDefined);
        EXPECT_TRUE(m.m_bInnerDiameter);
        EXPECT_EQ(std::u16string(m.m_szPrefix), u"DA");
        EXPECT_EQ(std::u16string(m.m_szSuffix), u"/x");
    } else {
        EXPECT_EQ(m.m_nDescMode, DescByDn);
    }

    ASSERT_EQ(m.m_profiles.size(), 2u);
    const CWexProfil* first = m.FindProfile(11);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_fInnerDiameter, 100.5f);
    EXPECT_EQ(first->m_fWall, 6.25f);
    EXPECT_EQ(first->UrsMaterial(), u"801-1234");
    EXPECT_EQ(first->m_nWidth, profileVersion >= 5 ? 30 : 0);
    EXPECT_EQ(first->UrsAssembly(), profileVersion >= 5 ? u"871-555" : u"");
    EXPECT_EQ(first->Label(), materialVersion >= 3 ? u"DA" + FormatFixed16(100.5, 0) + u"/x" : u"DN 100");

    // Stored index 15: "DN 250" in the old table without "DN 225".
    const std::int32_t secondDn = profileVersion <= 2 ? 16 : 15;
    const CWexProfil* second = m.FindProfile(secondDn);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->m_nDN, secondDn);
    EXPECT_EQ(second->m_fInnerDiameter, 230.0f);
    EXPECT_EQ(second->m_fWall, 8.0f);
    EXPECT_EQ(second->UrsMaterial(), u"");
}

struct Golden {
    const char* file;
    int catalogVersion;
    int materialVersion;
    int profileVersion;
    const char* why;
};

void PrintTo(const Golden& g, std::ostream* os)
{
    *os << g.file;
}

class GoldenFile : public CatalogFormat, public ::testing::WithParamInterface<Golden> {};

TEST_P(GoldenFile, ReadsTheReferenceContentAndRoundTripsByteForByte)
{
    const Golden& g = GetParam();
    CWexSezMaterialu catalog;
    EXPECT_EQ(ReadCatalog(Fixture(g.file), catalog), g.catalogVersion);
    const CWexMaterial* m = catalog.Find(u"Kamenina");
    ASSERT_NE(m, nullptr);
    ExpectReference(*m, g.materialVersion, g.profileVersion);
    EXPECT_TRUE(catalog.m_bSaved);
    EXPECT_TRUE(services.Prompts().empty());

    // Written in today's versions, read again: the same content; written again: the same bytes.
    const Bytes written = WriteCatalog(catalog);
    CWexSezMaterialu again;
    EXPECT_EQ(ReadCatalog(written, again), 3);
    ASSERT_EQ(again.m_materials.size(), catalog.m_materials.size());
    ExpectReference(*again.Find(u"Kamenina"), g.materialVersion, g.profileVersion);
    EXPECT_EQ(WriteCatalog(again), written);
}

INSTANTIATE_TEST_SUITE_P(
    EveryVersion, GoldenFile,
    ::testing::Values(Golden{"catalog_v0.ptq", 0, 6, 7, "counted list and trailer"},
                      Golden{"catalog_v1.ptq", 1, 6, 7, "count of 5, end mark after 2"},
                      Golden{"catalog_v2.ptq", 2, 6, 7, "end mark and trailer"},
                      Golden{"catalog_v3.ptq", 3, 6, 7, "end mark only"},
                      Golden{"material_v0.ptq", 3, 0, 7, "DN flag, counted profiles"},
                      Golden{"material_v1.ptq", 3, 1, 7, "DN flag, counted profiles"},
                      Golden{"material_v2.ptq", 3, 2, 7, "DN flag, end mark"},
                      Golden{"material_v3.ptq", 3, 3, 7, "fixed prefix and suffix"},
                      Golden{"material_v4.ptq", 3, 4, 7, "terminated prefix and suffix"},
                      Golden{"material_v5.ptq", 3, 5, 7, "shape"},
                      Golden{"material_v6.ptq", 3, 6, 7, "drawing name"},
                      Golden{"profile_v0.ptq", 3, 6, 0, "old DN table, 10-unit label"},
                      Golden{"profile_v1.ptq", 3, 6, 1, "old DN table, 10-unit label"},
                      Golden{"profile_v2.ptq", 3, 6, 2, "old DN table, 14-unit label"},
                      Golden{"profile_v3.ptq", 3, 6, 3, "DN 225, fixed code"},
                      Golden{"profile_v4.ptq", 3, 6, 4, "terminated code and label"},
                      Golden{"profile_v5.ptq", 3, 6, 5, "width and assembly code"},
                      Golden{"profile_v6.ptq", 3, 6, 6, "no label"},
                      Golden{"profile_v7.ptq", 3, 6, 7, "no obsolete value"}));

TEST_F(CatalogFormat, CatalogVersionsKeepTheFileOrderOfMaterials)
{
    for (const char* file : {"catalog_v0.ptq", "catalog_v1.ptq", "catalog_v2.ptq", "catalog_v3.ptq"}) {
        CWexSezMaterialu catalog;
        ReadCatalog(Fixture(file), catalog);
        ASSERT_EQ(catalog.m_materials.size(), 2u) << file;
        // Positions in the file, not in the name order.
        EXPECT_EQ(catalog.Find(u"Kamenina")->m_nProjectIndex, 0) << file;
        EXPECT_EQ(catalog.Find(u"Beton")->m_nProjectIndex, 1) << file;
        EXPECT_EQ(catalog.Find(u"Beton")->FindProfile(8)->m_fInnerDiameter, 50.0f) << file;
    }
}

TEST_F(CatalogFormat, EmptyCatalogsOfEveryForm)
{
    CWexSezMaterialu catalog;
    EXPECT_EQ(ReadCatalog({0x03, 0xFF}, catalog), 3);
    EXPECT_TRUE(catalog.m_materials.empty());
    EXPECT_EQ(ReadCatalog(Fixture("catalog_v1_empty.ptq"), catalog), 1);
    EXPECT_TRUE(catalog.m_materials.empty());
    EXPECT_EQ(WriteCatalog(catalog), (Bytes{0x03, 0xFF}));
}

TEST_F(CatalogFormat, OldMaterialWithDnFlagZeroIsDescribedByOuterDiameterAndWall)
{
    CWexSezMaterialu catalog;
    ReadCatalog(Fixture("material_v2_dxt.ptq"), catalog);
    const CWexMaterial& m = *catalog.Find(u"Kamenina");
    EXPECT_EQ(m.m_nDescMode, DescOuterXWall);
    EXPECT_EQ(m.FindProfile(11)->Label(), u"113x6.2");
}

TEST_F(CatalogFormat, EightBitNameIsReadAsWindows1250)
{
    CWexSezMaterialu catalog;
    ReadCatalog(Fixture("string_8bit.ptq"), catalog);
    ASSERT_NE(catalog.Find(u"Žlutá kamenina"), nullptr);
    // Written back in the UTF-16 form.
    Bytes written = WriteCatalog(catalog);
    EXPECT_EQ(Bytes(written.begin() + 16, written.begin() + 19), (Bytes{0xFF, 0xFE, 0xFF}));
}

TEST_F(CatalogFormat, ValuesTheFileFormCannotHoldLeaveAsTheySurvive)
{
    // PN/SDR -1, a four-character prefix, a drawing name of its own, a 10-character code read
    // from a file, sign-extended flags.
    CWexSezMaterialu catalog;
    auto m = std::make_unique<CWexMaterial>(&catalog, u"Ocel", MaterialFilter{3, 31});
    m->m_nDescMode = DescUserDefined;
    std::u16string(u"ABCD").copy(m->m_szPrefix, 4);
    std::u16string(u"WXYZ").copy(m->m_szSuffix, 4);
    m->m_strDrawingName = u"Ocelové";
    ASSERT_TRUE(m->AddProfile(3));
    std::u16string(u"0123456789").copy(m->FindProfile(3)->m_szUrsMaterial, 10);
    catalog.Insert(std::move(m));

    const Bytes written = WriteCatalog(catalog);
    CWexSezMaterialu read;
    ReadCatalog(written, read);
    const CWexMaterial& r = *read.Find(u"Ocel");
    EXPECT_EQ(r.m_nPN, -1);
    EXPECT_EQ(r.m_nSDR, -1);
    EXPECT_EQ(std::u16string(r.m_szPrefix), u"ABCD");
    EXPECT_EQ(std::u16string(r.m_szSuffix), u"WXYZ");
    EXPECT_EQ(r.m_strDrawingName, u"Ocelové");
    EXPECT_EQ(r.FindProfile(3)->UrsMaterial(), u"0123456789");
    EXPECT_EQ(WriteCatalog(read), written);

    // With material version 5 the drawing name is not stored and reads back as the name.
    CWexSezMaterialu v5;
    ReadCatalog(WriteCatalog(catalog, false, 5), v5);
    EXPECT_EQ(v5.Find(u"Ocel")->m_strDrawingName, u"Ocel");
}

TEST_F(CatalogFormat, UnusableDimensionsAreCorrectedAndReportedOncePerProfile)
{
    CWexSezMaterialu catalog;
    auto m = std::make_unique<CWexMaterial>(&catalog, u"Litina", MaterialFilter{3, 31});
    m->m_nDescMode = DescByDn;
    m->AddProfile(11);
    m->AddProfile(12);
    m->FindProfile(11)->m_fInnerDiameter = 0.0f;
    m->FindProfile(11)->m_fWall = -1.0f;
    m->FindProfile(12)->m_fWall = 0.0f; // accepted as it is
    catalog.Insert(std::move(m));

    CWexSezMaterialu read;
    ReadCatalog(WriteCatalog(catalog), read);
    const CWexMaterial& r = *read.Find(u"Litina");
    EXPECT_EQ(r.FindProfile(11)->m_fInnerDiameter, 100.0f);
    EXPECT_EQ(r.FindProfile(11)->m_fWall, 3.0f);
    EXPECT_EQ(r.FindProfile(12)->m_fWall, 0.0f);
    ASSERT_EQ(services.Prompts().size(), 1u);
    EXPECT_EQ(services.Prompts()[0].Text(),
              "U materiálu Litina byl načteny chybné hodnoty u profilu DN 100, \nbudou nastaveny implicitní hodnoty - "
              "po načtení zkontrolujte.");
}

} // namespace
