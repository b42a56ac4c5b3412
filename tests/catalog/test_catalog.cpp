// The catalog in memory: Clear, Assign, Rename, Remove, insertion, users and project mode.

#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace {

class Catalog : public ::testing::Test {
protected:
    CWexMaterial* Add(CWexSezMaterialu& catalog, const std::u16string& name, std::initializer_list<int> dns = {11})
    {
        auto m = std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{3, 31});
        m->m_nDescMode = DescByDn;
        for (int dn : dns) m->AddProfile(dn);
        return catalog.Insert(std::move(m)).first;
    }

    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
};

TEST_F(Catalog, RenameRefusesAnotherMaterialsNameAndAcceptsItsOwn)
{
    CWexMaterial* pvc = Add(catalog, u"PVC");
    CWexMaterial* pe = Add(catalog, u"PE");
    catalog.m_bSaved = true;

    EXPECT_FALSE(catalog.Rename(u"PE", pvc));
    EXPECT_EQ(pvc->m_strName, u"PVC");
    EXPECT_EQ(catalog.Find(u"PE"), pe);
    EXPECT_TRUE(catalog.m_bSaved);

    EXPECT_TRUE(catalog.Rename(u"PVC", pvc));
    EXPECT_FALSE(catalog.m_bSaved);

    EXPECT_TRUE(catalog.Rename(u"PVC-U", pvc));
    EXPECT_EQ(catalog.Find(u"PVC-U"), pvc);
    EXPECT_EQ(catalog.Find(u"PVC"), nullptr);
    EXPECT_EQ(pvc->m_strName, u"PVC-U");

    // A material of another catalog is not renamed here.
    CWexSezMaterialu other;
    CWexMaterial* foreign = Add(other, u"Litina");
    EXPECT_FALSE(catalog.Rename(u"Nová", foreign));
    EXPECT_EQ(foreign->m_strName, u"Litina");
}

TEST_F(Catalog, RemoveRefusesMaterialsInUseAndUnknownNames)
{
    CWexMaterial* used = Add(catalog, u"Ocel");
    CWexMaterial* slot = used;
    used->AddUser(&slot);
    Add(catalog, u"Beton");
    catalog.m_bSaved = true;

    EXPECT_FALSE(catalog.Remove(u"Ocel"));
    EXPECT_FALSE(catalog.Remove(u"ocel")); // names are exact
    EXPECT_EQ(catalog.m_materials.size(), 2u);
    EXPECT_TRUE(catalog.m_bSaved);

    EXPECT_TRUE(catalog.Remove(u"Beton"));
    EXPECT_EQ(catalog.Find(u"Beton"), nullptr);
    EXPECT_FALSE(catalog.m_bSaved);
    used->RemoveUser(&slot);
}

TEST_F(Catalog, InsertionNeverReplacesAndNamesDifferingInCaseAreTwo)
{
    CWexMaterial* pvc = Add(catalog, u"PVC");
    auto same = std::make_unique<CWexMaterial>(&catalog, u"PVC", MaterialFilter{3, 31});
    auto [entry, inserted] = catalog.Insert(std::move(same));
    EXPECT_FALSE(inserted);
    EXPECT_EQ(entry, pvc);
    ASSERT_NE(same, nullptr); // still the caller's

    EXPECT_NE(Add(catalog, u"pvc"), pvc);
    EXPECT_EQ(catalog.m_materials.size(), 2u);
    EXPECT_EQ(catalog.m_materials.begin()->first, u"PVC"); // capitals first in the key order
}

TEST_F(Catalog, ClearWithoutKeepingDestroysUsedMaterialsAndNullsTheirUsers)
{
    CWexMaterial* m = Add(catalog, u"Ocel");
    CWexMaterial* slot = m;
    CWexProfil* profileSlot = m->FindProfile(11);
    m->AddUser(&slot);
    m->FindProfile(11)->AddUser(&profileSlot);
    catalog.SetModified();

    catalog.Clear(false);
    EXPECT_TRUE(catalog.m_materials.empty());
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(profileSlot, nullptr);
    EXPECT_TRUE(catalog.m_bSaved);
    EXPECT_EQ(catalog.DetachedCount(), 0u);
}

TEST_F(Catalog, ClearKeepingUsedDetachesThemAliveAndApartFromTheCatalog)
{
    CWexMaterial* used = Add(catalog, u"Ocel");
    Add(catalog, u"Beton");
    CWexMaterial* slot = used;
    used->AddUser(&slot);

    catalog.Clear(true);
    EXPECT_TRUE(catalog.m_materials.empty());
    EXPECT_TRUE(catalog.m_bSaved);
    ASSERT_EQ(slot, used);
    EXPECT_EQ(catalog.DetachedCount(), 1u);
    // Still a whole material; a change through it no longer touches the catalog.
    EXPECT_TRUE(slot->AddProfile(12));
    EXPECT_TRUE(catalog.m_bSaved);

    // Once nobody points at it, the next Clear lets it go.
    slot->RemoveUser(&slot);
    catalog.Clear(true);
    EXPECT_EQ(catalog.DetachedCount(), 0u);
}

TEST_F(Catalog, AssignGivesTheLabelsTheCopysOwnSettingsBuild)
{
    // Every description mode: by DN, outer diameter x wall, and the user's own with a prefix
    // and a suffix around the inner or the outer diameter.
    Add(catalog, u"DN", {8, 11, 40});
    Add(catalog, u"DxT", {8, 11, 40})->m_nDescMode = DescOuterXWall;
    for (bool inner : {true, false}) {
        CWexMaterial* own = Add(catalog, inner ? u"Vlastní ID" : u"Vlastní OD", {8, 11, 40});
        own->m_nDescMode = DescUserDefined;
        own->m_bInnerDiameter = inner;
        std::copy_n(u"Tr ", 4, own->m_szPrefix);
        std::copy_n(u" mm", 4, own->m_szSuffix);
    }
    for (auto& [name, m] : catalog.m_materials) {
        for (auto& [dn, p] : m->m_profiles) p->m_fWall = 2.5f + static_cast<float>(dn);
        m->UpdateAllLabels();
    }

    CWexSezMaterialu working;
    working.Assign(catalog);
    for (auto& [name, m] : working.m_materials) {
        for (auto& [dn, p] : m->m_profiles) {
            const std::u16string label = p->Label(), shortLabel = p->ShortLabel();
            EXPECT_EQ(label, catalog.Find(name)->FindProfile(dn)->Label());
            p->UpdateLabels();
            EXPECT_EQ(p->Label(), label) << "description mode " << m->m_nDescMode << ", DN " << dn;
            EXPECT_EQ(p->ShortLabel(), shortLabel);
        }
    }
}

TEST_F(Catalog, AssignCopiesEverythingAndTheCommitRepointsUsersSafely)
{
    // A host object uses a material and one of its profiles of the program's catalog.
    CWexMaterial* original = Add(catalog, u"Ocel", {11, 12});
    CWexMaterial* hostMaterial = original;
    CWexProfil* hostProfile = original->FindProfile(12);
    original->AddUser(&hostMaterial);
    original->FindProfile(12)->AddUser(&hostProfile);
    catalog.m_bSaved = true;
    catalog.m_nPromptAnswer = 66;

    // The editing dialog works on a copy ...
    CWexSezMaterialu working;
    working.m_nPromptAnswer = 68;
    working.Assign(catalog);
    EXPECT_EQ(working.m_nPromptAnswer, 0u);
    EXPECT_TRUE(working.m_bSaved);
    CWexMaterial* copy = working.Find(u"Ocel");
    ASSERT_NE(copy, original);
    EXPECT_EQ(copy->m_users, original->m_users);
    EXPECT_EQ(copy->FindProfile(12)->m_users, original->FindProfile(12)->m_users);
    copy->AddProfile(13);
    EXPECT_FALSE(working.m_bSaved);

    // ... and on OK copies it back, empties the working users and re-points the host.
    catalog.Assign(working);
    EXPECT_FALSE(catalog.m_bSaved);
    EXPECT_EQ(catalog.DetachedCount(), 1u); // the original, still pointed at
    EXPECT_EQ(hostMaterial, original);
    working.ClearUsers();
    CWexMaterial* accepted = catalog.Find(u"Ocel");
    for (CWexMaterial** s : accepted->m_users) *s = accepted;
    for (auto& [dn, p] : accepted->m_profiles)
        for (CWexProfil** s : p->m_users) *s = p.get();
    EXPECT_EQ(hostMaterial, accepted);
    EXPECT_EQ(hostProfile, accepted->FindProfile(12));
    EXPECT_NE(accepted->FindProfile(13), nullptr);

    // Letting the detached original go must not null the fields that now point at the copy.
    catalog.Assign(catalog); // nothing
    EXPECT_EQ(catalog.Find(u"Ocel"), accepted);
    catalog.Clear(true); // releases the original, detaches the accepted copy
    EXPECT_EQ(hostMaterial, accepted);
    EXPECT_EQ(hostProfile, accepted->FindProfile(12));
    EXPECT_EQ(catalog.DetachedCount(), 1u);

    accepted->RemoveUser(&hostMaterial);
    accepted->FindProfile(12)->RemoveUser(&hostProfile);
}

TEST_F(Catalog, DestroyingTheCatalogNullsFieldsThatStillPointAtDetachedMaterials)
{
    CWexMaterial* slot = nullptr;
    {
        CWexSezMaterialu owner;
        CWexMaterial* m = Add(owner, u"Ocel");
        slot = m;
        m->AddUser(&slot);
        owner.Clear(true);
        EXPECT_EQ(slot, m);
    }
    EXPECT_EQ(slot, nullptr);
}

TEST_F(Catalog, ClearUsersAndResetProjectIndexesReachEveryRecord)
{
    CWexMaterial* m = Add(catalog, u"Ocel", {11, 12});
    CWexMaterial* slot = m;
    CWexProfil* profileSlot = nullptr;
    m->AddUser(&slot);
    m->FindProfile(12)->AddUser(&profileSlot);
    m->m_nProjectIndex = 4;

    catalog.ResetProjectIndexes();
    EXPECT_EQ(m->m_nProjectIndex, -2);
    catalog.ClearUsers();
    EXPECT_FALSE(m->IsUsed());
    EXPECT_FALSE(m->FindProfile(12)->IsUsed());
}

TEST_F(Catalog, ProjectModeWritesOnlyUsedRecordsAndNumbersThem)
{
    CWexSezMaterialu empty;
    Add(empty, u"Nepoužitý");
    EXPECT_EQ(WriteCatalog(empty, true), (Bytes{0x03, 0xFF}));

    CWexMaterial* a = Add(catalog, u"A", {11, 12});
    Add(catalog, u"B");
    CWexMaterial* c = Add(catalog, u"C", {5});
    CWexMaterial *slotA = a, *slotC = c;
    CWexProfil* slotProfile = a->FindProfile(12);
    a->AddUser(&slotA);
    c->AddUser(&slotC);
    a->FindProfile(12)->AddUser(&slotProfile);

    const Bytes project = WriteCatalog(catalog, true);
    EXPECT_EQ(a->m_nProjectIndex, 0);
    EXPECT_EQ(c->m_nProjectIndex, 1);

    // Loaded by a host into a catalog that already holds "C": that one stays and gets the
    // project's position; the others keep -2.
    CWexSezMaterialu main;
    CWexMaterial* mainC = Add(main, u"C", {5, 6});
    CWexMaterial* mainD = Add(main, u"D");
    ReadCatalog(project, main, true);
    ASSERT_EQ(main.m_materials.size(), 3u);
    EXPECT_EQ(main.Find(u"C"), mainC);
    EXPECT_EQ(mainC->m_profiles.size(), 2u);
    EXPECT_EQ(main.Find(u"A")->m_nProjectIndex, 0);
    EXPECT_EQ(mainC->m_nProjectIndex, 1);
    EXPECT_EQ(mainD->m_nProjectIndex, -2);
    // Only the used profile of "A" was written.
    EXPECT_EQ(main.Find(u"A")->m_profiles.size(), 1u);
    EXPECT_NE(main.Find(u"A")->FindProfile(12), nullptr);

    a->RemoveUser(&slotA);
    c->RemoveUser(&slotC);
    a->FindProfile(12)->RemoveUser(&slotProfile);
}

TEST_F(Catalog, ReadingAddsToWhatTheCatalogHoldsAndKeepsItsOwnObjectForAKnownName)
{
    CWexSezMaterialu source;
    Add(source, u"Kamenina", {11, 12, 13});
    Add(source, u"Beton");
    const Bytes bytes = WriteCatalog(source);

    CWexMaterial* own = Add(catalog, u"Kamenina", {11});
    Add(catalog, u"Ocel");
    ReadCatalog(bytes, catalog);
    EXPECT_EQ(catalog.m_materials.size(), 3u);
    EXPECT_EQ(catalog.Find(u"Kamenina"), own);
    // The two differ: asked, answered "Ano" (the default), the sizes it lacked added.
    EXPECT_EQ(services.Prompts().size(), 1u);
    EXPECT_EQ(own->m_profiles.size(), 3u);
    EXPECT_EQ(own->m_nProjectIndex, 1);
    EXPECT_TRUE(catalog.m_bSaved);
    EXPECT_EQ(catalog.m_nPromptAnswer, 0u);
}

} // namespace
