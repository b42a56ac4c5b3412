// Project mode from a host's side: pipes registered in the records, a project written with the
// catalog's material section and read back, every reference resolved to the right record.

#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"
#include "TestHost.h"

#include <gtest/gtest.h>

namespace {

using test_host::Pipe;
using test_host::Project;

class ProjectHost : public ::testing::Test {
protected:
    CWexMaterial* Add(CWexSezMaterialu& catalog, const std::u16string& name, std::initializer_list<int> dns)
    {
        auto m = std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{3, 31});
        m->m_strManufacturer = u"Výrobce " + name;
        m->m_nSDR = 4;
        for (int dn : dns) m->AddProfile(dn);
        return catalog.Insert(std::move(m)).first;
    }

    // The main list: four materials, of which the project uses "Kamenina" and "PVC KG".
    void SetUp() override
    {
        Add(main, u"Beton", {14, 17});
        Add(main, u"PVC KG", {10, 11, 13});
        Add(main, u"Kamenina", {11, 12, 13, 14});
        Add(main, u"Ocel", {8});
        CWexMaterial* pvc = main.Find(u"PVC KG");
        CWexMaterial* stoneware = main.Find(u"Kamenina");
        project.AddPipe(u"Stoka A1", 42.5f, pvc, pvc->FindProfile(13));
        project.AddPipe(u"Stoka A2", 17.0f, stoneware, stoneware->FindProfile(12));
        project.AddPipe(u"Přípojka 3", 6.25f, pvc, pvc->FindProfile(10));
        project.AddPipe(u"Rezerva", 1.0f, stoneware, nullptr);
        project.AddPipe(u"Nezařazeno", 3.0f, nullptr, nullptr);
    }

    // The loaded pipes are the written ones, each pointing at `catalog`'s record of the same
    // material and size and registered there.
    void ExpectSameNetwork(const Project& loaded, CWexSezMaterialu& catalog)
    {
        ASSERT_EQ(loaded.Pipes().size(), project.Pipes().size());
        for (std::size_t i = 0; i < project.Pipes().size(); ++i) {
            const Pipe& written = project.At(i);
            const Pipe& read = loaded.At(i);
            EXPECT_EQ(read.Name(), written.Name());
            EXPECT_EQ(read.Length(), written.Length());
            EXPECT_TRUE(read.Registered()) << i;
            if (!written.Material()) {
                EXPECT_EQ(read.Material(), nullptr);
                continue;
            }
            ASSERT_NE(read.Material(), nullptr) << i;
            EXPECT_EQ(read.Material(), catalog.Find(written.Material()->m_strName));
            EXPECT_EQ(read.Material()->m_strManufacturer, written.Material()->m_strManufacturer);
            if (!written.Profile()) {
                EXPECT_EQ(read.Profile(), nullptr);
                continue;
            }
            ASSERT_NE(read.Profile(), nullptr) << i;
            EXPECT_EQ(read.Profile()->m_pMaterial, read.Material());
            EXPECT_EQ(read.Profile()->m_nDN, written.Profile()->m_nDN);
            EXPECT_EQ(read.Profile()->m_fInnerDiameter, written.Profile()->m_fInnerDiameter);
            EXPECT_EQ(read.Profile()->m_fWall, written.Profile()->m_fWall);
        }
    }

    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu main; // outlives the pipes that point into it
    Project project;
};

TEST_F(ProjectHost, AProjectReadIntoAnEmptyCatalogBringsOnlyWhatItUses)
{
    const Bytes bytes = project.WriteToMemory(main);
    // Used materials numbered in writing (name) order; the others are not in the project.
    EXPECT_EQ(main.Find(u"Kamenina")->m_nProjectIndex, 0);
    EXPECT_EQ(main.Find(u"PVC KG")->m_nProjectIndex, 1);

    CWexSezMaterialu fresh;
    Project loaded;
    loaded.ReadFromMemory(bytes, fresh);
    EXPECT_TRUE(services.Prompts().empty());
    ASSERT_EQ(fresh.m_materials.size(), 2u);
    EXPECT_EQ(fresh.Find(u"Kamenina")->m_profiles.size(), 1u) << "only DN 125 is used";
    EXPECT_EQ(fresh.Find(u"PVC KG")->m_profiles.size(), 2u);
    ExpectSameNetwork(loaded, fresh);

    // Written again, the loaded project is the same bytes.
    EXPECT_EQ(loaded.WriteToMemory(fresh), bytes);
}

TEST_F(ProjectHost, AProjectReadBackIntoTheMainListResolvesToItsOwnRecords)
{
    TempDir dir;
    project.WriteToFile(dir / "projekt.dat", main);

    Project loaded;
    loaded.ReadFromFile(dir / "projekt.dat", main);
    EXPECT_TRUE(services.Prompts().empty()) << "a project's materials are contained in the main list's";
    EXPECT_EQ(main.m_materials.size(), 4u);
    ExpectSameNetwork(loaded, main);
    for (std::size_t i = 0; i < project.Pipes().size(); ++i) {
        EXPECT_EQ(loaded.At(i).Material(), project.At(i).Material());
        EXPECT_EQ(loaded.At(i).Profile(), project.At(i).Profile());
    }
    EXPECT_EQ(main.Find(u"Beton")->m_nProjectIndex, -2);
    EXPECT_EQ(main.Find(u"Ocel")->m_nProjectIndex, -2);
    EXPECT_EQ(main.Find(u"PVC KG")->m_users.size(), 4u); // two pipes of each project
}

TEST_F(ProjectHost, AProjectWhoseMaterialDiffersIsReconciledAndStillResolves)
{
    const Bytes bytes = project.WriteToMemory(main);

    // Another user's main list: its "PVC KG" lacks DN 150 and has another manufacturer.
    CWexSezMaterialu other;
    CWexMaterial* pvc = Add(other, u"PVC KG", {10, 11});
    pvc->m_strManufacturer = u"Jiný";
    other.m_bSaved = true;
    services.QueueAnswer(4); // "Ne": use the project's material
    services.QueueAnswer(IDNO);
    Project loaded;
    loaded.ReadFromMemory(bytes, other);

    ASSERT_EQ(services.Prompts().size(), 2u);
    EXPECT_EQ(other.Find(u"PVC KG"), pvc);
    EXPECT_EQ(pvc->m_strManufacturer, u"Výrobce PVC KG");
    ASSERT_NE(pvc->FindProfile(13), nullptr) << "the size the project uses was added";
    EXPECT_EQ(loaded.At(0).Material(), pvc);
    EXPECT_EQ(loaded.At(0).Profile(), pvc->FindProfile(13));
    EXPECT_EQ(loaded.At(2).Profile(), pvc->FindProfile(10));
    ExpectSameNetwork(loaded, other);
}

TEST_F(ProjectHost, AProjectThatUsesNothingCarriesAnEmptyMaterialSection)
{
    CWexSezMaterialu unused;
    Add(unused, u"Beton", {14});
    Project empty;
    empty.AddPipe(u"Nezařazeno", 3.0f, nullptr, nullptr);
    Bytes expected = {0x01, 0x03, 0xFF, 0x01, 0x00, 0x00, 0x00}; // version, material section, one pipe
    expected.insert(expected.end(), {0xFF, 0xFE, 0xFF, 10});
    for (char16_t c : std::u16string(u"Nezařazeno")) {
        expected.push_back(static_cast<std::uint8_t>(c & 0xFF));
        expected.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    expected.insert(expected.end(), {0x00, 0x00, 0x40, 0x40, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(empty.WriteToMemory(unused), expected);
}

TEST_F(ProjectHost, ReferencesFollowTheLifeOfTheRecordsAndOfThePipes)
{
    CWexMaterial* pvc = main.Find(u"PVC KG");
    {
        Project scratch;
        scratch.AddPipe(u"Dočasná", 1.0f, pvc, pvc->FindProfile(11));
        EXPECT_EQ(pvc->m_users.size(), 3u);
    }
    EXPECT_EQ(pvc->m_users.size(), 2u) << "a destroyed pipe leaves the users list";
    EXPECT_FALSE(pvc->FindProfile(11)->IsUsed());

    EXPECT_FALSE(main.Remove(u"PVC KG")) << "in use";
    pvc->RemoveProfile(13);
    EXPECT_EQ(project.At(0).Material(), pvc);
    EXPECT_EQ(project.At(0).Profile(), nullptr) << "the destroyed size nulled the slot";
    main.Clear(false);
    EXPECT_EQ(project.At(0).Material(), nullptr);
    EXPECT_EQ(project.At(1).Material(), nullptr);
    EXPECT_EQ(project.At(1).Profile(), nullptr);
}

} // namespace
