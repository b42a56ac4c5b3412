// The offer to save at the end of a reading that updated the main list, against real files:
// Yes writes the user catalog, No leaves it as it was. The folders come from settings files.

#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

constexpr int kNe = 4;

class ReconcileFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir / "data" / "Velmora");
        userFile = dir / "data" / "Velmora" / "Potrubi.ptq";
        const fs::path machine = dir / "machine.reg";
        std::ofstream(machine, std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\r\n"
            << "\"CommonInstallPath\"=\"" << (dir / "install").string() << "\"\r\n"
            << "\"CommonDataPath\"=\"" << (dir / "data").string() << "\"\r\n";
        ::setenv("VELMORA_MACHINE_REGISTRY", machine.c_str(), 1);
        ::setenv("VELMORA_USER_REGISTRY", (dir / "user.reg").c_str(), 1);

        Add(catalog, u"PVC KG", u"Pipelife");
        Add(catalog, u"Ocel", u"Ferona");
        WriteCatalogFile(userFile, catalog);
        userBytes = ReadBytes(userFile);
    }
    void TearDown() override
    {
        ::unsetenv("VELMORA_MACHINE_REGISTRY");
        ::unsetenv("VELMORA_USER_REGISTRY");
    }

    static CWexMaterial* Add(CWexSezMaterialu& catalog, const std::u16string& name, const std::u16string& maker)
    {
        auto m = std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{3, 31});
        m->m_strManufacturer = maker;
        m->AddProfile(11);
        return catalog.Insert(std::move(m)).first;
    }

    // A supplier's file whose "PVC KG" comes from another manufacturer.
    fs::path SupplierFile()
    {
        CWexSezMaterialu supplier;
        Add(supplier, u"PVC KG", u"Wavin");
        const fs::path file = dir / "dodavatel.ptq";
        WriteCatalogFile(file, supplier);
        return file;
    }

    TempDir dir;
    fs::path userFile;
    Bytes userBytes;
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
};

TEST_F(ReconcileFiles, NoLeavesTheUserCatalogAsItWasAndYesWritesIt)
{
    const fs::path supplier = SupplierFile();
    services.QueueAnswer(kNe);
    services.QueueAnswer(IDNO);
    ReadCatalogFile(supplier, catalog);
    ASSERT_EQ(services.Prompts().size(), 2u);
    EXPECT_EQ(services.Prompts()[1].Title(), "Uložit materiály?");
    EXPECT_EQ(catalog.Find(u"PVC KG")->m_strManufacturer, u"Wavin");
    EXPECT_EQ(ReadBytes(userFile), userBytes);

    // The next reading asks again; Yes saves the whole main list.
    services.ClearPrompts();
    catalog.Find(u"PVC KG")->m_strManufacturer = u"Pipelife";
    services.QueueAnswer(kNe);
    services.QueueAnswer(IDYES);
    ReadCatalogFile(supplier, catalog);
    ASSERT_EQ(services.Prompts().size(), 2u);
    EXPECT_EQ(ReadBytes(userFile), WriteCatalog(catalog));
    EXPECT_EQ(ReadBytes(fs::path(userFile) += ".bak"), userBytes);
    EXPECT_TRUE(catalog.m_bSaved);
}

TEST_F(ReconcileFiles, MergingTheUserCatalogItselfCanSaveItAtTheEnd)
{
    // The file read is closed before the offer to save, so the save can replace it.
    catalog.Find(u"Ocel")->m_strManufacturer = u"Jiný";
    services.QueueAnswer(kNe);
    services.QueueAnswer(IDYES);
    ReadCatalogFile(userFile, catalog);
    ASSERT_EQ(services.Prompts().size(), 2u) << services.Prompts().back().Text();
    EXPECT_EQ(catalog.Find(u"Ocel")->m_strManufacturer, u"Ferona");
    EXPECT_EQ(ReadBytes(userFile), userBytes);
    EXPECT_TRUE(fs::exists(fs::path(userFile) += ".bak"));
}

TEST_F(ReconcileFiles, LoadingTheStandardCatalogIntoTheListOffersToSaveItsUpdates)
{
    fs::create_directories(dir / "install" / "Velmora");
    fs::copy_file(SupplierFile(), dir / "install" / "Velmora" / "Potrubi_std.ptq");
    services.QueueAnswer(kNe);
    services.QueueAnswer(IDYES);
    EXPECT_TRUE(catalog.LoadFromFile(true));
    ASSERT_EQ(services.Prompts().size(), 2u);
    CWexSezMaterialu saved;
    ReadCatalogFile(userFile, saved);
    EXPECT_EQ(saved.Find(u"PVC KG")->m_strManufacturer, u"Wavin");
    EXPECT_FALSE(catalog.m_bSaved) << "a loaded standard catalog still differs from the user file";
}

} // namespace
