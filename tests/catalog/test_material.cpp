#include "CWexFunkce.h"
#include "CWexMaterial.h"
#include "CWexSezMaterialu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string LineOf(const CWexException& e)
{
    std::string text = e.what();
    auto at = text.find("Line ");
    return text.substr(at + 5, text.find(',', at) - at - 5);
}

ShownMaterial FormOf(const CWexMaterial& m)
{
    ShownMaterial form;
    form.name = m.m_strName;
    form.popis = m.m_strDrawingName;
    form.manufacturer = m.m_strManufacturer;
    form.detail = m.m_strDetail;
    form.pnIndex = 0;
    form.sdrIndex = 0;
    form.roughness = u"0.01";
    form.filter = {m.m_nGroup, m.m_nPurposes};
    form.descMode = m.m_nDescMode;
    form.shape = 0;
    form.prefix = m.m_szPrefix;
    form.suffix = m.m_szSuffix;
    form.diameterKind = m.m_bInnerDiameter ? 1 : 0;
    return form;
}

struct MaterialFixture : ::testing::Test {
    CWexSezMaterialu catalog;

    std::unique_ptr<CWexMaterial> Make(const std::u16string& name)
    {
        return std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{});
    }
};

} // namespace

TEST_F(MaterialFixture, NewMaterialDefaults)
{
    CWexMaterial m(&catalog, u"PE", MaterialFilter{0, 0});
    EXPECT_EQ(m.m_nDescMode, DescOuterXWall);
    EXPECT_EQ(m.m_nGroup, 3u);
    EXPECT_EQ(m.m_nPurposes, 31u);
    EXPECT_EQ(m.m_nPN, -1);
    EXPECT_EQ(m.m_nSDR, -1);
    EXPECT_EQ(m.m_nProjectIndex, -2);
    EXPECT_FLOAT_EQ(m.m_fRoughness, 0.00001f);

    CWexMaterial read(&catalog);
    EXPECT_EQ(read.m_fRoughness, 0.0f);
    EXPECT_TRUE(read.m_strName.empty());
}

TEST_F(MaterialFixture, AddProfileDefaultWallsAndDiameters)
{
    auto m = Make(u"PE");
    CWexProfil* p = nullptr;
    ASSERT_TRUE(m->AddProfile(18, &p));
    EXPECT_EQ(p->m_fWall, 3.0f) << "below DN 400";
    ASSERT_TRUE(m->AddProfile(19, &p));
    EXPECT_EQ(p->m_fWall, 5.0f) << "DN 400 and up";
    EXPECT_EQ(p->m_fInnerDiameter, 390.0f);

    m->m_nSDR = 0;
    ASSERT_TRUE(m->AddProfile(11, &p));
    EXPECT_EQ(p->m_fWall, 3.0f);
    EXPECT_EQ(p->m_fInnerDiameter, 104.0f);
    EXPECT_EQ(p->Label(), u"110x3.0");

    m->m_nSDR = 4; // SDr 11
    ASSERT_TRUE(m->AddProfile(13, &p));
    EXPECT_FLOAT_EQ(p->m_fWall, 160.0f / 11.0f);
    m->RemoveProfile(11);
    ASSERT_TRUE(m->AddProfile(11, &p));
    EXPECT_EQ(p->m_fWall, 10.0f);
    EXPECT_EQ(p->m_fInnerDiameter, 90.0f);
    EXPECT_EQ(p->Label(), u"110x10.0");

    EXPECT_FALSE(m->AddProfile(11)) << "one profile per DN";
    EXPECT_FALSE(m->AddProfile(28));
    EXPECT_FALSE(m->AddProfile(-1));

    auto dn = Make(u"Litina");
    dn->m_nDescMode = DescByDn;
    ASSERT_TRUE(dn->AddProfile(11, &p));
    EXPECT_EQ(p->m_fInnerDiameter, 100.0f);
    EXPECT_EQ(p->m_fWall, 3.0f);
    EXPECT_EQ(p->Label(), u"DN 100");
}

TEST_F(MaterialFixture, AddProfileWithAnSdrIndexOutsideTheTableUsesDefaultWalls)
{
    for (std::int32_t sdr : {-1, 8, 1000}) {
        auto m = Make(u"X");
        m->m_nSDR = sdr;
        CWexProfil* p = nullptr;
        ASSERT_TRUE(m->AddProfile(11, &p));
        EXPECT_EQ(p->m_fWall, 3.0f) << sdr;
        EXPECT_EQ(p->m_fInnerDiameter, 104.0f) << sdr;
    }
}

TEST_F(MaterialFixture, GenerateProfilesReplacesTheSeries)
{
    auto m = Make(u"PE");
    m->AddProfile(2);
    m->GenerateProfiles(5, 3);
    EXPECT_TRUE(m->m_profiles.empty());
    m->GenerateProfiles(0, 27);
    ASSERT_EQ(m->m_profiles.size(), 28u);
    std::int32_t expected = 0;
    for (const auto& [dn, p] : m->m_profiles) {
        EXPECT_EQ(dn, expected);
        EXPECT_EQ(p->m_nDN, expected++);
    }
    try {
        m->GenerateProfiles(26, 28);
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_EQ(LineOf(e), "338");
    }
    EXPECT_EQ(m->m_profiles.size(), 2u) << "the sizes added before the failure stay";
}

TEST_F(MaterialFixture, ChangesMarkTheCatalogModified)
{
    auto m = Make(u"PE");
    catalog.m_bSaved = true;
    m->AddProfile(3);
    EXPECT_FALSE(catalog.m_bSaved);
    catalog.m_bSaved = true;
    m->ClearProfiles();
    EXPECT_FALSE(catalog.m_bSaved);
    catalog.m_bSaved = true;
    m->ApplyForm(FormOf(*m));
    EXPECT_FALSE(catalog.m_bSaved);
}

TEST_F(MaterialFixture, CopyKeepsEverythingButTheProjectIndex)
{
    auto source = Make(u"Vejcovod");
    source->m_nShape = ShapeEggVienna;
    source->m_strDrawingName = u"V";
    source->m_nProjectIndex = 4;
    source->m_nDescMode = DescUserDefined;
    std::u16string(u"DA").copy(source->m_szPrefix, 2);
    CWexProfil* p = nullptr;
    source->AddProfile(21, &p);
    p->m_nWidth = 500;
    p->SetUrsMaterial(u"M");
    p->SetUrsAssembly(u"A");
    CWexMaterial* user = source.get();
    source->AddUser(&user);

    CWexSezMaterialu other;
    CWexMaterial copy(&other, *source);
    EXPECT_EQ(copy.m_nShape, ShapeEggVienna);
    EXPECT_EQ(copy.m_strDrawingName, u"V");
    EXPECT_EQ(copy.m_nProjectIndex, -2);
    EXPECT_EQ(std::u16string(copy.m_szPrefix), u"DA");
    EXPECT_EQ(copy.m_pCatalogOwner, &other);
    ASSERT_EQ(copy.m_profiles.size(), 1u);
    const CWexProfil& cp = *copy.m_profiles.at(21);
    EXPECT_EQ(cp.m_nWidth, 500);
    EXPECT_EQ(cp.UrsMaterial(), u"M");
    EXPECT_EQ(cp.UrsAssembly(), u"A");
    EXPECT_EQ(cp.m_pMaterial, &copy);
    EXPECT_EQ(copy.m_users.size(), 1u);
    copy.ClearUsers(); // the copy must not null the source's user when it dies
}

TEST_F(MaterialFixture, AddMissingProfilesKeepsExistingValues)
{
    auto mine = Make(u"PE");
    auto theirs = Make(u"PE");
    CWexProfil* p = nullptr;
    mine->AddProfile(11, &p);
    p->m_fWall = 9.0f;
    theirs->AddProfile(11);
    theirs->AddProfile(13);
    catalog.m_bSaved = true;
    mine->AddMissingProfiles(*theirs);
    ASSERT_EQ(mine->m_profiles.size(), 2u);
    EXPECT_EQ(mine->FindProfile(11)->m_fWall, 9.0f);
    EXPECT_EQ(mine->FindProfile(13)->m_pMaterial, mine.get());
    EXPECT_FALSE(catalog.m_bSaved);
}

TEST_F(MaterialFixture, MatchesInBothStrengths)
{
    auto a = Make(u"PE");
    auto b = Make(u"PE");
    for (auto* m : {a.get(), b.get()}) {
        m->AddProfile(11);
        m->AddProfile(13);
    }
    EXPECT_TRUE(a->Matches(*b, true));

    b->m_strDrawingName = u"other";
    EXPECT_FALSE(a->Matches(*b, true));
    EXPECT_TRUE(a->Matches(*b, false)) << "the drawing name is not compared when not full";
    b->m_strDrawingName.clear();

    // Ignored: width, assembly code, roughness, PN, SDR, flags, description settings, shape.
    b->FindProfile(11)->m_nWidth = 99;
    b->FindProfile(11)->SetUrsAssembly(u"X");
    b->m_fRoughness = 5.0f;
    b->m_nPN = 3;
    b->m_nShape = 4;
    b->m_nGroup = 1;
    b->m_nDescMode = DescUserDefined;
    b->FindProfile(11)->m_fInnerDiameter += 0.0005f;
    EXPECT_TRUE(a->Matches(*b, true));

    b->FindProfile(11)->m_fInnerDiameter += 0.002f;
    EXPECT_FALSE(a->Matches(*b, true));
    b->FindProfile(11)->m_fInnerDiameter = a->FindProfile(11)->m_fInnerDiameter;
    b->FindProfile(13)->m_fWall += 0.001f;
    EXPECT_FALSE(a->Matches(*b, false));
    b->FindProfile(13)->m_fWall = a->FindProfile(13)->m_fWall;
    b->FindProfile(13)->SetUrsMaterial(u"K");
    EXPECT_FALSE(a->Matches(*b, true)) << "the material code takes part";
    b->FindProfile(13)->SetUrsMaterial(u"");

    // Containment: fewer but equal profiles match only when not full.
    b->RemoveProfile(13);
    EXPECT_FALSE(a->Matches(*b, true));
    EXPECT_TRUE(a->Matches(*b, false));
    EXPECT_FALSE(b->Matches(*a, false)) << "the main list's material must hold at least as many";

    b->m_strManufacturer = u"Jiný";
    EXPECT_FALSE(a->Matches(*b, false));
}

TEST_F(MaterialFixture, ApplyFormRelabelsOnlyWhenTheDescriptionChanges)
{
    auto m = Make(u"PE");
    m->AddProfile(11);
    ShownMaterial form = FormOf(*m);
    form.roughness = u"0.5";
    m->FindProfile(11)->m_fWall = 7.0f; // labels now stale on purpose
    m->ApplyForm(form);
    EXPECT_EQ(m->m_fRoughness, 0.5f);
    EXPECT_EQ(m->FindProfile(11)->Label(), u"110x3.0") << "no relabelling for a roughness change";

    form.descMode = DescUserDefined;
    form.suffix = u"mm";
    m->ApplyForm(form);
    EXPECT_EQ(m->FindProfile(11)->Label(), u"118mm") << "relabelled with the current wall of 7";
    EXPECT_EQ(std::u16string(m->m_szSuffix), u"mm");

    form.roughnessValue = 2.5;
    m->ApplyForm(form);
    EXPECT_EQ(m->m_fRoughness, 2.5f) << "a roughness number other than -1000 wins over the text";
    form.roughnessValue = kRoughnessFromText;
    form.roughness = u"abc";
    m->ApplyForm(form);
    EXPECT_EQ(m->m_fRoughness, 0.0f);
}

TEST_F(MaterialFixture, ApplyFormRefusesWithoutTakingAnything)
{
    auto m = Make(u"PE");
    m->m_strManufacturer = u"Před";
    m->m_fRoughness = 1.0f;
    catalog.m_bSaved = true;
    struct Case {
        const char* what;
        void (*spoil)(ShownMaterial&);
        const char* line;
    };
    const Case cases[] = {
        {"other name", [](ShownMaterial& f) { f.name = u"PE2"; }, "234"},
        {"long manufacturer", [](ShownMaterial& f) { f.manufacturer = std::u16string(26, u'x'); }, "235"},
        {"no PN", [](ShownMaterial& f) { f.pnIndex = -1; }, "247"},
        {"no SDR", [](ShownMaterial& f) { f.sdrIndex = -1; }, "247"},
        {"long prefix", [](ShownMaterial& f) { f.prefix = u"ABCDE"; }, "255"},
        {"long suffix", [](ShownMaterial& f) { f.suffix = u"ABCDE"; }, "257"},
    };
    for (const Case& c : cases) {
        ShownMaterial form = FormOf(*m);
        form.roughness = u"9";
        form.manufacturer = u"Po";
        c.spoil(form);
        try {
            m->ApplyForm(form);
            ADD_FAILURE() << c.what;
        } catch (const CWexException& e) {
            EXPECT_EQ(LineOf(e), c.line) << c.what;
        }
        EXPECT_EQ(m->m_strManufacturer, u"Před") << c.what;
        EXPECT_EQ(m->m_fRoughness, 1.0f) << c.what;
        EXPECT_TRUE(catalog.m_bSaved) << c.what;
    }
    ShownMaterial form = FormOf(*m);
    form.manufacturer = std::u16string(25, u'x');
    EXPECT_NO_THROW(m->ApplyForm(form));
}

TEST_F(MaterialFixture, DestroyingAMaterialNullsItsAndItsProfilesUsers)
{
    auto m = Make(u"PE");
    CWexProfil* p = nullptr;
    m->AddProfile(11, &p);
    CWexMaterial* materialSlot = m.get();
    CWexProfil* profileSlot = p;
    m->AddUser(&materialSlot);
    p->AddUser(&profileSlot);
    EXPECT_TRUE(m->RemoveUser(&materialSlot));
    EXPECT_FALSE(m->RemoveUser(&materialSlot));
    m->AddUser(&materialSlot);
    m.reset();
    EXPECT_EQ(materialSlot, nullptr);
    EXPECT_EQ(profileSlot, nullptr);
}
