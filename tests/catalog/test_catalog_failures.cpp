// Damaged and too new catalog files: every failure names what the user must read, and what
// was read completely before it stays.

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string kNewer = "Nelze načíst, soubor byl uložen vyšší verzí programu, aktualizujte program";

class CatalogFailures : public ::testing::Test {
protected:
    // The text of the CWexException that reading `file` raises.
    std::string ExceptionText(const std::string& file)
    {
        try {
            ReadCatalog(Fixture(file), catalog);
        } catch (const CWexException& e) {
            return e.what();
        }
        ADD_FAILURE() << file << " read without a CWexException";
        return {};
    }

    CWexFileError::Cause FileErrorCause(const Bytes& bytes)
    {
        try {
            ReadCatalog(bytes, catalog);
        } catch (const CWexFileError& e) {
            return e.GetCause();
        }
        ADD_FAILURE() << "read without a file error";
        return CWexFileError::Cause::OpenFailed;
    }

    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
};

TEST_F(CatalogFailures, NewerVersionsAreRefusedWithTheirSourceAndLine)
{
    EXPECT_EQ(ExceptionText("broken_catalog_v4.ptq"), kNewer + ", Line 257, \n_Spolecny/_Velmora/CWexSezMaterialu");
    EXPECT_EQ(ExceptionText("broken_material_v7.ptq"), kNewer + ", Line 380, \n_Spolecny/_Velmora/CWexMaterial");
    EXPECT_EQ(ExceptionText("broken_profile_v8.ptq"), kNewer + ", Line 470, \n_Spolecny/_Velmora/CWexMaterial");
    EXPECT_TRUE(catalog.m_materials.empty());
}

TEST_F(CatalogFailures, DuplicateDnIsRefused)
{
    EXPECT_EQ(ExceptionText("broken_duplicate_dn.ptq"),
              "Nelze vložit nový profil, Line 434, \n_Spolecny/_Velmora/CWexMaterial");
    EXPECT_TRUE(catalog.m_materials.empty());
}

TEST_F(CatalogFailures, UnterminatedCodeIsRefused)
{
    EXPECT_EQ(ExceptionText("broken_unterminated_code.ptq"),
              "Načítaný řetězec není ukončen nulou, Line 657, \n_Spolecny/CWexFunkce");
}

TEST_F(CatalogFailures, TruncatedProfileRecordIsEndOfFileAndEarlierMaterialsStay)
{
    EXPECT_EQ(FileErrorCause(Fixture("broken_truncated_profile.ptq")), CWexFileError::Cause::EndOfFile);
    ASSERT_EQ(catalog.m_materials.size(), 1u);
    EXPECT_NE(catalog.Find(u"Beton"), nullptr);
    // Profiles were entered before the failure, and no reading reached its end.
    EXPECT_FALSE(catalog.m_bSaved);
}

TEST_F(CatalogFailures, EveryCutOfAGoodFileIsEndOfFileNeverACrash)
{
    const Bytes good = Fixture("catalog_v0.ptq");
    for (std::size_t size = 0; size < good.size(); ++size) {
        CWexSezMaterialu fresh;
        MemorySource source(std::span(good.data(), size));
        CWexArchive ar(source);
        try {
            fresh.ReadFrom(ar, false);
            ADD_FAILURE() << "a cut after " << size << " bytes read as a whole file";
        } catch (const CWexFileError& e) {
            EXPECT_EQ(e.GetCause(), CWexFileError::Cause::EndOfFile) << size;
        }
    }
}

TEST_F(CatalogFailures, HugeStringLengthsAreEndOfFile)
{
    EXPECT_EQ(FileErrorCause(Fixture("broken_huge_string.ptq")), CWexFileError::Cause::EndOfFile);
    EXPECT_EQ(FileErrorCause(Fixture("broken_huge_string64.ptq")), CWexFileError::Cause::EndOfFile);
}

TEST_F(CatalogFailures, OldCatalogsWithoutTheirTrailerAreEndOfFile)
{
    Bytes v2 = Fixture("catalog_v2.ptq");
    v2.resize(v2.size() - 4);
    EXPECT_EQ(FileErrorCause(v2), CWexFileError::Cause::EndOfFile);
}

TEST_F(CatalogFailures, IndexesOutsideTheirTablesAreKeptAsRead)
{
    // A profile of DN index 40 and a material with PN 99, SDR 50, shape 9.
    CWexSezMaterialu source;
    auto m = std::make_unique<CWexMaterial>(&source, u"Divný", MaterialFilter{3, 31});
    m->m_nDescMode = DescByDn;
    m->AddProfile(2);
    source.Insert(std::move(m));
    Bytes bytes = WriteCatalog(source);
    // Patch the written fields: DN (after the profile's version byte), PN, SDR, shape.
    const std::size_t profile = bytes.size() - 1 - 4 - 1 - 19; // profile, FF, empty drawing name, FF
    ASSERT_EQ(bytes[profile], 7);
    bytes[profile + 1] = 40;
    const std::size_t shape = profile - 1;
    bytes[shape] = 9;
    bytes[shape - 2] = 50;
    bytes[shape - 1] = 0;
    bytes[shape - 4] = 99;
    bytes[shape - 3] = 0;

    ReadCatalog(bytes, catalog);
    const CWexMaterial& r = *catalog.Find(u"Divný");
    EXPECT_EQ(r.m_nPN, 99);
    EXPECT_EQ(r.m_nSDR, 50);
    EXPECT_EQ(r.m_nShape, 9u);
    ASSERT_NE(r.FindProfile(40), nullptr);
    EXPECT_EQ(r.FindProfile(40)->Label(), u"DN ?");
    EXPECT_EQ(WriteCatalog(catalog), bytes);
}

TEST_F(CatalogFailures, OldDnIndexThatWouldOverflowIsKeptSoTheFileWritesBackReadably)
{
    // The second profile of the version-2 file is stored with DN 15 (then "DN 250"); make it
    // the largest 16-bit index, which one more would no longer fit.
    Bytes bytes = Fixture("profile_v2.ptq");
    const Bytes pattern{0x02, 0x0F, 0x00, 0x00, 0x00, 0x66, 0x43};
    auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    ASSERT_NE(at, bytes.end());
    at[1] = 0xFF;
    at[2] = 0x7F;

    ReadCatalog(bytes, catalog);
    EXPECT_NE(catalog.Find(u"Kamenina")->FindProfile(32767), nullptr);
    const Bytes written = WriteCatalog(catalog);
    CWexSezMaterialu again;
    ReadCatalog(written, again);
    EXPECT_NE(again.Find(u"Kamenina")->FindProfile(32767), nullptr);
    EXPECT_EQ(WriteCatalog(again), written);
}

} // namespace
