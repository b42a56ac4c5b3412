// A material read under a name the catalog already holds: which differences ask, what each
// answer takes over, the sizes that are always added, and the offer to save at the end. Every
// reading goes over bytes made by the catalog's own writer.

#include "CWexFileError.h"
#include "CWexSezMaterialu.h"
#include "ScriptedWindowServices.h"
#include "TaskButtons.h"
#include "TextConvert.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const char* const kInstruction = "Materiál, který je obsažen v projektu se liší od materiálu v obecném seznamu\n"
                                 "Přepsat materiál v projektu obecným?";
const char* const kSaveText = "Hlavní seznam materiálů byl při načítání projektu aktualizován materiály z projektu\n"
                              "ULOŽIT I PRO BUDOUCÍ POUŽÍTÍ?";

std::string QuestionFor(const std::string& name)
{
    return "Přepsat materiál " + name +
           " v projektu materiálem z obecného seznamu?\nV opačném případě bude použit materiál z projektu a na "
           "konci načítání bude uživatel dotázán, zda chce zaktualizovat obecný seznam";
}

using Change = std::function<void(CWexMaterial&)>;

// The buttons of the overwrite question, as the window services report them.
constexpr int kAno = 2, kNe = 4, kAnoVsem = 16, kNeVsem = 32;

class Reconcile : public ::testing::Test {
protected:
    // A material of the main list: D x t with SDR 11, sizes DN 80, DN 100 and DN 150.
    CWexMaterial* Add(CWexSezMaterialu& catalog, const std::u16string& name)
    {
        auto m = std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{2, 1});
        m->m_strDrawingName = u"PVC";
        m->m_strDetail = u"Kanalizační trubky hladké";
        m->m_strManufacturer = u"Pipelife";
        m->m_fRoughness = 0.01f;
        m->m_nPN = 0;
        m->m_nSDR = 4;
        for (int dn : {10, 11, 13}) m->AddProfile(dn);
        m->FindProfile(11)->SetUrsMaterial(u"286111");
        return catalog.Insert(std::move(m)).first;
    }

    // A file holding copies of `materials`, each changed by `change`.
    static Bytes FileOf(std::initializer_list<const CWexMaterial*> materials, const Change& change = {})
    {
        CWexSezMaterialu source;
        for (const CWexMaterial* m : materials) {
            auto copy = std::make_unique<CWexMaterial>(&source, *m);
            copy->ClearUsers();
            if (change) change(*copy);
            source.Insert(std::move(copy));
        }
        return WriteCatalog(source);
    }

    // What the answers may change, as one comparable value.
    static std::vector<std::u16string> Attributes(const CWexMaterial& m)
    {
        auto n = [](auto v) {
            const std::string text = std::to_string(v);
            return std::u16string(text.begin(), text.end());
        };
        return {m.m_strName,          m.m_strDrawingName,    m.m_strDetail, m.m_strManufacturer,
                n(m.m_fRoughness),    n(m.m_nGroup),         n(m.m_nPurposes), n(m.m_nPN),
                n(m.m_nSDR),          n(m.m_nShape),         n(m.m_nDescMode), n(m.m_bInnerDiameter),
                m.m_szPrefix,         m.m_szSuffix};
    }

    std::size_t Questions() const
    {
        return std::count_if(services.Prompts().begin(), services.Prompts().end(),
                             [](const RecordedPrompt& p) { return p.Text() == kInstruction; });
    }
    std::size_t SaveOffers() const
    {
        return std::count_if(services.Prompts().begin(), services.Prompts().end(),
                             [](const RecordedPrompt& p) { return p.Title() == "Uložit materiály?"; });
    }

    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
};

TEST_F(Reconcile, AnEqualMaterialAsksNothingKeepsTheObjectAndTakesItsPosition)
{
    CWexMaterial* pvc = Add(catalog, u"PVC KG");
    CWexMaterial* other = Add(catalog, u"Ocel");
    CWexSezMaterialu source;
    Add(source, u"Beton");
    Add(source, u"PVC KG");
    const Bytes bytes = WriteCatalog(source);

    for (bool projectMode : {false, true}) {
        ReadCatalog(bytes, catalog, projectMode);
        EXPECT_TRUE(services.Prompts().empty());
        EXPECT_EQ(catalog.Find(u"PVC KG"), pvc);
        EXPECT_EQ(pvc->m_nProjectIndex, 1);
        EXPECT_EQ(catalog.Find(u"Beton")->m_nProjectIndex, 0);
        EXPECT_EQ(other->m_nProjectIndex, -2);
        EXPECT_EQ(pvc->m_profiles.size(), 3u);
        EXPECT_TRUE(catalog.m_bSaved);
    }
}

TEST_F(Reconcile, DifferencesOnlyInFieldsNotComparedAskNothingAndAreDropped)
{
    CWexMaterial* pvc = Add(catalog, u"PVC KG");
    const auto before = Attributes(*pvc);
    const Bytes bytes = FileOf({pvc}, [](CWexMaterial& m) {
        m.m_fRoughness = 0.4f;
        m.m_nPN = 3;
        m.m_nSDR = 6;
        m.m_nGroup = 1;
        m.m_nPurposes = 12;
        m.m_nShape = ShapeEggVienna;
        m.m_nDescMode = DescUserDefined;
        m.m_bInnerDiameter = true;
        std::copy_n(u"KG\0", 3, m.m_szPrefix);
        std::copy_n(u"mm\0", 3, m.m_szSuffix);
        m.FindProfile(11)->m_nWidth = 200;
        m.FindProfile(11)->SetUrsAssembly(u"877");
        m.FindProfile(13)->m_fInnerDiameter += 0.0005f;
    });
    for (bool projectMode : {false, true}) {
        ReadCatalog(bytes, catalog, projectMode);
        EXPECT_TRUE(services.Prompts().empty()) << projectMode;
        EXPECT_EQ(Attributes(*pvc), before);
        EXPECT_EQ(pvc->FindProfile(11)->m_nWidth, 0);
    }

    // The drawing name counts only outside project mode.
    const Bytes renamed = FileOf({pvc}, [](CWexMaterial& m) { m.m_strDrawingName = u"KG"; });
    ReadCatalog(renamed, catalog, true);
    EXPECT_EQ(Questions(), 0u);
    ReadCatalog(renamed, catalog, false);
    EXPECT_EQ(Questions(), 1u);
    EXPECT_EQ(pvc->m_strDrawingName, u"PVC"); // answered "Ano", the default
}

TEST_F(Reconcile, FewerEqualSizesAreContainedInProjectModeButDifferInFileMode)
{
    CWexMaterial* pvc = Add(catalog, u"PVC KG");
    const Bytes fewer = FileOf({pvc}, [](CWexMaterial& m) { m.RemoveProfile(10); });
    ReadCatalog(fewer, catalog, true);
    EXPECT_EQ(Questions(), 0u);
    ReadCatalog(fewer, catalog, false);
    EXPECT_EQ(Questions(), 1u);

    // Containment still compares every size the project has.
    services.ClearPrompts();
    const Bytes thicker = FileOf({pvc}, [](CWexMaterial& m) {
        m.RemoveProfile(10);
        m.FindProfile(13)->m_fWall += 0.001f;
    });
    ReadCatalog(thicker, catalog, true);
    EXPECT_EQ(Questions(), 1u);
    EXPECT_EQ(pvc->m_profiles.size(), 3u);
}

TEST_F(Reconcile, AnoKeepsTheMainValuesAndStillAddsTheMissingSizes)
{
    CWexMaterial* pvc = Add(catalog, u"PVC KG");
    const auto before = Attributes(*pvc);
    const float wall = pvc->FindProfile(11)->m_fWall;
    const Bytes bytes = FileOf({pvc}, [](CWexMaterial& m) {
        m.m_strManufacturer = u"Wavin";
        m.m_fRoughness = 0.1f;
        m.FindProfile(11)->m_fWall = 3.2f;
        m.FindProfile(11)->SetUrsMaterial(u"999");
        m.AddProfile(14);
        m.FindProfile(14)->SetUrsMaterial(u"286114");
    });

    // Enter on the default button, and Escape (the platform's cancel code is the code of "Ano").
    for (int answer : {kAno, static_cast<int>(IDCANCEL)}) {
        services.ClearPrompts();
        pvc->RemoveProfile(14);
        services.QueueAnswer(answer);
        ReadCatalog(bytes, catalog);

        ASSERT_EQ(services.Prompts().size(), 1u) << "no offer to save after Ano";
        const RecordedPrompt& q = services.Prompts()[0];
        EXPECT_EQ(q.kind, RecordedPrompt::Kind::TaskDialog);
        EXPECT_EQ(q.Title(), "Materiály potrubí");
        EXPECT_EQ(q.Text(), kInstruction);
        EXPECT_EQ(q.Content(), QuestionFor("PVC KG"));
        EXPECT_EQ(q.icon, MessageIcon::Warning);
        ASSERT_EQ(q.task.customButtons.size(), 4u);
        EXPECT_EQ(q.task.defaultButton, 2);

        EXPECT_EQ(Attributes(*pvc), before);
        EXPECT_EQ(pvc->FindProfile(11)->m_fWall, wall);
        EXPECT_EQ(pvc->FindProfile(11)->UrsMaterial(), u"286111");
        ASSERT_NE(pvc->FindProfile(14), nullptr);
        EXPECT_EQ(pvc->FindProfile(14)->UrsMaterial(), u"286114");
        EXPECT_EQ(pvc->FindProfile(14)->m_pMaterial, pvc);
        EXPECT_EQ(pvc->FindProfile(14)->Label(), u"200x18.2"); // labelled by the main list's settings
        EXPECT_TRUE(catalog.m_bSaved);
        EXPECT_EQ(catalog.m_nPromptAnswer, 0u);
    }
}

TEST_F(Reconcile, NeTakesTheListedAttributesAndTheSaveIsOfferedOnceAtTheEnd)
{
    CWexMaterial* pvc = Add(catalog, u"PVC KG");
    CWexMaterial* pe = Add(catalog, u"PE 100");
    CWexMaterial* user = pvc;
    pvc->AddUser(&user);
    const float wall = pvc->FindProfile(11)->m_fWall;
    const Bytes bytes = FileOf({pvc, pe}, [](CWexMaterial& m) {
        m.m_strDrawingName = u"KG-Rohr";
        m.m_strDetail = u"Hladké trubky";
        m.m_strManufacturer = u"Wavin";
        m.m_fRoughness = 0.25f;
        m.m_nGroup = 1;
        m.m_nPurposes = 6;
        m.m_nPN = 2;
        m.m_nSDR = 0;
        m.m_nShape = ShapeRectangle;
        m.m_nDescMode = DescUserDefined;
        m.m_bInnerDiameter = true;
        std::copy_n(u"KG\0", 3, m.m_szPrefix);
        std::copy_n(u" mm\0", 4, m.m_szSuffix);
        m.FindProfile(11)->m_fWall = 4.0f;
        m.AddProfile(14);
    });
    services.QueueAnswer(kNe);
    services.QueueAnswer(kNe);
    services.QueueAnswer(IDNO);
    ReadCatalog(bytes, catalog);

    EXPECT_EQ(Questions(), 2u);
    ASSERT_EQ(SaveOffers(), 1u);
    const RecordedPrompt& offer = services.Prompts().back();
    EXPECT_EQ(offer.kind, RecordedPrompt::Kind::Message);
    EXPECT_EQ(offer.Text(), kSaveText);
    EXPECT_EQ(offer.icon, MessageIcon::Question);
    EXPECT_EQ(offer.buttons, MessageButtons::YesNo);
    EXPECT_EQ(offer.owner, MessageOwner::ActiveWindow);
    EXPECT_EQ(services.Prompts().size(), 3u) << "No saves nothing, so nothing more is shown";

    for (CWexMaterial* m : {pvc, pe}) {
        EXPECT_EQ(m->m_strDrawingName, u"KG-Rohr");
        EXPECT_EQ(m->m_strDetail, u"Hladké trubky");
        EXPECT_EQ(m->m_strManufacturer, u"Wavin");
        EXPECT_EQ(m->m_fRoughness, 0.25f);
        EXPECT_EQ(m->m_nGroup, 1u);
        EXPECT_EQ(m->m_nPurposes, 6u);
        EXPECT_EQ(m->m_nPN, 2);
        EXPECT_EQ(m->m_nSDR, 0);
        EXPECT_EQ(m->m_nShape, static_cast<std::uint32_t>(ShapeRectangle));
        EXPECT_EQ(m->m_nDescMode, DescUserDefined);
        EXPECT_TRUE(m->m_bInnerDiameter);
        EXPECT_EQ(std::u16string(m->m_szPrefix), u"KG");
        EXPECT_EQ(std::u16string(m->m_szSuffix), u" mm");
        // Sizes: the main list's values stay, the missing one is added, and every label
        // follows the description taken over.
        EXPECT_EQ(m->FindProfile(11)->m_fWall, wall);
        EXPECT_EQ(m->m_profiles.size(), 4u);
        for (const auto& [dn, profile] : m->m_profiles)
            EXPECT_EQ(profile->Label(), u"KG" + FormatFixed16(profile->m_fInnerDiameter, 0) + u" mm") << dn;
    }
    EXPECT_EQ(catalog.Find(u"PVC KG"), pvc);
    EXPECT_EQ(pvc->m_strName, u"PVC KG");
    EXPECT_EQ(pvc->m_users, std::vector<CWexMaterial**>{&user});
    EXPECT_EQ(pvc->m_nProjectIndex, 1);
    EXPECT_EQ(pvc->m_pCatalogOwner, &catalog);
    EXPECT_TRUE(catalog.m_bSaved) << "the end of a reading marks the catalog saved";
    pvc->RemoveUser(&user);
}

TEST_F(Reconcile, NeVsemAnswersTheRestOfTheReadingAndTheNextReadingAsksAgain)
{
    CWexMaterial* a = Add(catalog, u"A");
    CWexMaterial* b = Add(catalog, u"B");
    CWexMaterial* c = Add(catalog, u"C");
    Add(catalog, u"D");
    const Bytes bytes =
        FileOf({a, b, c, catalog.Find(u"D")}, [](CWexMaterial& m) {
            if (m.m_strName != u"C") m.m_strManufacturer = u"Wavin";
        });

    services.QueueAnswer(kNeVsem);
    services.QueueAnswer(IDNO);
    ReadCatalog(bytes, catalog);
    EXPECT_EQ(Questions(), 1u);
    EXPECT_EQ(SaveOffers(), 1u);
    EXPECT_EQ(a->m_strManufacturer, u"Wavin");
    EXPECT_EQ(b->m_strManufacturer, u"Wavin");
    EXPECT_EQ(c->m_strManufacturer, u"Pipelife") << "an equal material is not touched";
    EXPECT_EQ(catalog.Find(u"D")->m_strManufacturer, u"Wavin");
    EXPECT_EQ(catalog.m_nPromptAnswer, 0u);

    services.ClearPrompts();
    const Bytes again = FileOf({a, b}, [](CWexMaterial& m) { m.m_strManufacturer = u"Pipelife"; });
    ReadCatalog(again, catalog);
    EXPECT_EQ(Questions(), 2u) << "answered Ano both times (the default)";
    EXPECT_EQ(SaveOffers(), 0u);
    EXPECT_EQ(a->m_strManufacturer, u"Wavin");
}

TEST_F(Reconcile, AnoVsemKeepsEveryFurtherMaterialWithoutAsking)
{
    CWexMaterial* a = Add(catalog, u"A");
    CWexMaterial* b = Add(catalog, u"B");
    const Bytes bytes = FileOf({a, b}, [](CWexMaterial& m) {
        m.m_strManufacturer = u"Wavin";
        m.AddProfile(20);
    });
    services.QueueAnswer(kAnoVsem);
    ReadCatalog(bytes, catalog);
    EXPECT_EQ(services.Prompts().size(), 1u);
    for (CWexMaterial* m : {a, b}) {
        EXPECT_EQ(m->m_strManufacturer, u"Pipelife");
        EXPECT_NE(m->FindProfile(20), nullptr);
    }
    EXPECT_EQ(catalog.m_nPromptAnswer, 0u);
}

TEST_F(Reconcile, AQuestionThatCannotBeShownKeepsTheMainValuesAndTheNextMaterialAsksAgain)
{
    CWexMaterial* a = Add(catalog, u"A");
    CWexMaterial* b = Add(catalog, u"B");
    const Bytes bytes = FileOf({a, b}, [](CWexMaterial& m) {
        m.m_strManufacturer = u"Wavin";
        m.AddProfile(20);
    });
    services.QueueAnswer(IDNONE);
    services.QueueAnswer(kNe);
    services.QueueAnswer(IDNO);
    ReadCatalog(bytes, catalog);
    EXPECT_EQ(Questions(), 2u);
    EXPECT_EQ(a->m_strManufacturer, u"Pipelife");
    EXPECT_NE(a->FindProfile(20), nullptr);
    EXPECT_EQ(b->m_strManufacturer, u"Wavin");
}

TEST_F(Reconcile, ARememberedAnswerSetBeforeTheReadingAnswersItInAdvance)
{
    CWexMaterial* a = Add(catalog, u"A");
    const Bytes bytes = FileOf({a}, [](CWexMaterial& m) { m.m_strManufacturer = u"Wavin"; });
    catalog.m_nPromptAnswer = kOverwriteNoForAll;
    services.QueueAnswer(IDNO);
    ReadCatalog(bytes, catalog, true);
    EXPECT_EQ(Questions(), 0u);
    EXPECT_EQ(SaveOffers(), 1u);
    EXPECT_EQ(a->m_strManufacturer, u"Wavin");
    EXPECT_EQ(catalog.m_nPromptAnswer, 0u);
}

TEST_F(Reconcile, ADescriptionWhoseLabelsCannotBeBuiltIsNotTakenOver)
{
    // Described by DN, one size with an implausible 20 m bore: as D x t its short label
    // "d20020" would not fit.
    CWexMaterial* a = Add(catalog, u"A");
    a->m_nDescMode = DescByDn;
    a->FindProfile(11)->m_fInnerDiameter = 20000.0f;
    a->UpdateAllLabels();
    const Bytes bytes = FileOf({a}, [](CWexMaterial& m) {
        m.FindProfile(11)->m_fInnerDiameter = 100.0f;
        m.m_nDescMode = DescOuterXWall;
        m.m_strManufacturer = u"Wavin";
    });
    services.QueueAnswer(kNe);
    services.QueueAnswer(IDOK);
    services.QueueAnswer(IDNO);
    ReadCatalog(bytes, catalog);

    EXPECT_EQ(a->m_nDescMode, DescByDn);
    EXPECT_EQ(a->FindProfile(11)->Label(), u"DN 100");
    EXPECT_EQ(a->FindProfile(10)->Label(), u"DN 80");
    EXPECT_EQ(a->m_strManufacturer, u"Wavin") << "the other attributes are taken";
    ASSERT_EQ(services.Prompts().size(), 3u);
    EXPECT_EQ(services.Prompts()[1].Text(), "U materiálu A nelze podle formátu popisu z projektu sestavit popisy "
                                            "všech profilů, zůstává původní formát popisu.");
    EXPECT_EQ(services.Prompts()[1].icon, MessageIcon::Warning);
    EXPECT_EQ(SaveOffers(), 1u);
}

TEST_F(Reconcile, AFailedReadingForgetsTheAnswerOffersNoSaveAndKeepsWhatItMerged)
{
    CWexMaterial* a = Add(catalog, u"A");
    CWexMaterial* b = Add(catalog, u"B");
    Bytes bytes = FileOf({a, b}, [](CWexMaterial& m) { m.m_strManufacturer = u"Wavin"; });
    bytes.resize(bytes.size() - 40); // inside the record of "B"

    services.QueueAnswer(kNeVsem);
    EXPECT_THROW(ReadCatalog(bytes, catalog), CWexFileError);
    EXPECT_EQ(catalog.m_nPromptAnswer, 0u);
    EXPECT_EQ(SaveOffers(), 0u);
    EXPECT_EQ(a->m_strManufacturer, u"Wavin");
    EXPECT_EQ(b->m_strManufacturer, u"Pipelife");
    EXPECT_FALSE(catalog.m_bSaved) << "what the reading changed is still to be saved";

    // The next reading asks again, and its offer to save is about its own changes only.
    services.ClearPrompts();
    ReadCatalog(FileOf({b}), catalog);
    EXPECT_TRUE(services.Prompts().empty());
    services.QueueAnswer(kAno);
    ReadCatalog(FileOf({b}, [](CWexMaterial& m) { m.m_strManufacturer = u"Wavin"; }), catalog);
    EXPECT_EQ(Questions(), 1u);
    EXPECT_EQ(SaveOffers(), 0u);
}

} // namespace
