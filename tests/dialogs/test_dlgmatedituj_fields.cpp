// The editing dialog's material fields, driven by typing and clicks: storing a new, copied or
// edited material with every refusal, the group and purpose rules, "Jiný", the drawing name
// taken from the name, and that a material refused by its own checks is stored not even in part.

#include "CatalogDialogTestSupport.h"
#include "CheckedEdit.h"
#include "ErrorBalloon.h"
#include "DialogTestSupport.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

using namespace MatDlgId;

namespace {

struct OpenFields {
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
    CQyDlgMatEdituj dlg;

    OpenFields()
    {
        FillCatalog(catalog, {
                                 {"PVC", GroupAll, PurposeSewer, {11, 13, 15}, DescByDn, "Polyvinylchlorid", "Pipelife"},
                                 {"Litina", GroupUtilityNetworks, PurposeWater, {11}, DescOuterXWall, "Tvárná litina", "Duktus"},
                                 {"Ocel", GroupBuildingServices, PurposeGas, {}, DescOuterXWall, "Ocelová trubka", "Ferona"},
                             });
        for (auto& [name, material] : catalog.m_materials) {
            material->m_nPN = 2;
            material->m_nSDR = 3;
        }
        catalog.m_bSaved = true;
        QVERIFY(OpenEditingOn(dlg, catalog));
    }
    CMaterialListCtrl& List() { return *dlg.m_listMat; }
    void Click(int id) { QTest::mouseClick(Button(dlg, id), Qt::LeftButton); }
    // Clicks a check box or radio button on its mark (its middle may lie beyond its text).
    void ClickMark(int id)
    {
        QAbstractButton* box = Button(dlg, id);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    void Edit(const char* name, int button = IdcEditMaterial)
    {
        ClickRow(List(), static_cast<int>(ListedNames(List()).indexOf(QString::fromUtf8(name))));
        Click(button);
    }
    // Replaces a field's text by typing.
    void Type(CCheckedEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Replaces a field's text by pasting (the length limits act on typing only).
    void Paste(CCheckedEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
    }
    CWexMaterial* Work(const char* name) { return dlg.m_workCatalog.Find(U16(name)); }
    std::string LastPrompt() const
    {
        if (services.Prompts().empty()) return {};
        const RecordedPrompt& p = services.Prompts().back();
        return p.Text() + p.Content();
    }
};

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

class TestDlgMatEditujFields : public QObject {
    Q_OBJECT

private slots:
    void leavingTheNameFillsAnEmptyDrawingName();
    void emptyNameIsRefused();
    void addingAHiddenNameIsRefusedAndDiscarded();
    void editingKeepsOrRenamesButNeverTakesAnothersName();
    void namesDifferingInCaseAreTwoMaterials();
    void copyTakesEveryProfileWithoutItsUsers();
    void theLastGroupOrPurposeCannotBeUnchecked();
    void cancelledFormatDialogStillStoresUserDefinedMode();
    void formatDialogAcceptedStoresItsValues();
    void roughnessOutOfRangeIsShownButStored();
    void storedNewMaterialIsTheSelectedRow();
    void overlongPastedManufacturerStoresNothing();
    void refusedFormAfterRenameKeepsTheOldName();
    void overlongPastedNameOfANewMaterialIsRefusedAtTheField_data();
    void overlongPastedNameOfANewMaterialIsRefusedAtTheField();
    void cancelShowsTheEditedMaterialAgain();
};

void TestDlgMatEditujFields::leavingTheNameFillsAnEmptyDrawingName()
{
    OpenFields f;
    f.Click(IdcAddMaterial);
    QTest::keyClicks(f.dlg.m_editName, QStringLiteral("Beton"));
    QTest::keyClick(f.dlg.m_editName, Qt::Key_Tab);
    QCOMPARE(EditText(f.dlg, IdcPopis), QStringLiteral("Beton"));

    // A drawing name of blanks counts as empty; a typed one is kept.
    f.Type(f.dlg.m_editPopis, QStringLiteral("   "));
    f.dlg.m_editName->setFocus();
    QTest::keyClick(f.dlg.m_editName, Qt::Key_Tab);
    QCOMPARE(EditText(f.dlg, IdcPopis), QStringLiteral("Beton"));
    f.Type(f.dlg.m_editPopis, QStringLiteral("BET"));
    f.dlg.m_editName->setFocus();
    QTest::keyClick(f.dlg.m_editName, Qt::Key_Tab);
    QCOMPARE(EditText(f.dlg, IdcPopis), QStringLiteral("BET"));

    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QVERIFY(f.Work("Beton"));
    QVERIFY(f.Work("Beton")->m_strDrawingName == u"BET");
    QVERIFY(!f.dlg.m_workCatalog.m_bSaved);
    QVERIFY(f.catalog.m_bSaved); // the caller's catalog is untouched until OK
}

void TestDlgMatEditujFields::emptyNameIsRefused()
{
    OpenFields f;
    f.Click(IdcAddMaterial);
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.services.Prompts().size(), std::size_t{1});
    QCOMPARE(f.services.Prompts()[0].Text(), std::string("Název nesmí být prázdný"));
    QCOMPARE(f.services.Prompts()[0].Title(), std::string("Materiály potrubí"));
    QCOMPARE(f.services.Prompts()[0].icon, MessageIcon::Warning);
    QCOMPARE(f.dlg.m_nEditMode, 1);
    QCOMPARE(f.dlg.m_workCatalog.m_materials.size(), std::size_t{3});
    QVERIFY(f.dlg.GetDlgItem(IdcSaveMaterial)->isVisible());
}

void TestDlgMatEditujFields::addingAHiddenNameIsRefusedAndDiscarded()
{
    OpenFields f;
    f.Click(IdcFilterGas); // only "Ocel" is listed
    QCOMPARE(ListedNames(f.List()), QStringList{QStringLiteral("Ocel")});
    f.Click(IdcAddMaterial);
    QTest::keyClicks(f.dlg.m_editName, QStringLiteral("Litina"));
    QTest::keyClick(f.dlg.m_editName, Qt::Key_Return);

    QCOMPARE(f.LastPrompt(),
             std::string("Tento název již existuje u jiného materiálu, možná jen není zobrazen\n(přepněte filtry)"));
    QCOMPARE(f.services.Prompts().back().icon, MessageIcon::Warning);
    QCOMPARE(f.dlg.m_nEditMode, 1);
    QCOMPARE(f.dlg.m_workCatalog.m_materials.size(), std::size_t{3});
    QVERIFY(f.Work("Litina")->m_strDetail == U16("Tvárná litina"));
    QVERIFY(f.dlg.m_workCatalog.m_bSaved);

    // Corrected, it is stored.
    f.Type(f.dlg.m_editName, QStringLiteral("Litina 2"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QVERIFY(f.Work("Litina 2"));
}

void TestDlgMatEditujFields::editingKeepsOrRenamesButNeverTakesAnothersName()
{
    OpenFields f;
    f.Edit("PVC");
    QTest::keyClick(f.dlg.GetDlgItem(IdcDetail), Qt::Key_End);
    QTest::keyClicks(f.dlg.GetDlgItem(IdcDetail), QStringLiteral(" SN8"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QVERIFY(f.services.Prompts().empty());
    QVERIFY(f.Work("PVC")->m_strDetail == u"Polyvinylchlorid SN8");

    f.Edit("PVC");
    f.Type(f.dlg.m_editName, QStringLiteral("Ocel"));
    QTest::keyClick(f.dlg.GetDlgItem(IdcDetail), Qt::Key_End);
    QTest::keyClicks(f.dlg.GetDlgItem(IdcDetail), QStringLiteral("X"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.LastPrompt(), std::string("Tento název již existuje u jiného materiálu"));
    QCOMPARE(f.services.Prompts().back().icon, MessageIcon::None);
    QCOMPARE(f.dlg.m_nEditMode, 3);
    QVERIFY(f.Work("PVC")->m_strDetail == u"Polyvinylchlorid SN8");
    QVERIFY(f.Work("Ocel")->m_strDetail == U16("Ocelová trubka"));

    // A free name renames it; the list keeps its order by name.
    f.Type(f.dlg.m_editName, QStringLiteral("Azbest"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QVERIFY(!f.Work("PVC"));
    QVERIFY(f.Work("Azbest")->m_strDetail == u"Polyvinylchlorid SN8X");
    QCOMPARE(ListedNames(f.List()).first(), QStringLiteral("Azbest"));
}

void TestDlgMatEditujFields::namesDifferingInCaseAreTwoMaterials()
{
    OpenFields f;
    f.Click(IdcAddMaterial);
    QTest::keyClicks(f.dlg.m_editName, QStringLiteral("pvc"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QVERIFY(f.Work("pvc") && f.Work("PVC") && f.Work("pvc") != f.Work("PVC"));
    QCOMPARE(f.dlg.m_workCatalog.m_materials.size(), std::size_t{4});
}

void TestDlgMatEditujFields::copyTakesEveryProfileWithoutItsUsers()
{
    CWexProfil* user = nullptr; // outlives the profiles, which clear it when destroyed
    OpenFields f;
    CWexMaterial* source = f.Work("PVC");
    for (auto& [dn, profile] : source->m_profiles) {
        profile->SetUrsAssembly(u"A" + std::u16string(1, char16_t(u'0' + dn % 10)));
        profile->SetUrsMaterial(u"M1");
        profile->AddUser(&user);
    }
    f.dlg.m_workCatalog.m_bSaved = true;

    f.Edit("PVC", IdcCopyMaterial);
    f.Type(f.dlg.m_editName, QStringLiteral("PVC-U"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    CWexMaterial* copy = f.Work("PVC-U");
    QVERIFY(copy && copy != source);
    QCOMPARE(copy->m_profiles.size(), std::size_t{3});
    for (auto& [dn, profile] : source->m_profiles) {
        const CWexProfil* twin = copy->FindProfile(dn);
        QVERIFY(twin && twin != profile.get());
        QCOMPARE(twin->m_pMaterial, copy);
        QCOMPARE(twin->m_fWall, profile->m_fWall);
        QCOMPARE(twin->m_fInnerDiameter, profile->m_fInnerDiameter);
        QVERIFY(std::u16string(twin->m_szUrsAssembly) == profile->m_szUrsAssembly);
        QVERIFY(std::u16string(twin->m_szUrsMaterial) == u"M1");
        QVERIFY(twin->m_users.empty());
        QCOMPARE(profile->m_users.size(), std::size_t{1});
    }
    QCOMPARE(copy->m_nDescMode, source->m_nDescMode);
    QVERIFY(!f.dlg.m_workCatalog.m_bSaved);
    QVERIFY(!copy->IsUsed());
}

void TestDlgMatEditujFields::theLastGroupOrPurposeCannotBeUnchecked()
{
    OpenFields f;
    f.Edit("Ocel"); // group ZTI only, purpose gas only
    auto* zti = Button(f.dlg, IdcGroupCheckZti);
    auto* networks = Button(f.dlg, IdcGroupCheckNetworks);
    auto* gas = Button(f.dlg, IdcPurposeGas);
    QVERIFY(zti->isChecked() && !networks->isChecked());
    f.ClickMark(IdcGroupCheckZti);
    QVERIFY(zti->isChecked());
    QVERIFY(f.dlg.m_editName->Balloon());
    QVERIFY(f.dlg.m_editName->IsBalloonVisible());
    QCOMPARE(f.dlg.m_editName->Balloon()->Title(), QStringLiteral("Označte alesoň jednu možnost"));
    QCOMPARE(f.dlg.m_editName->Balloon()->Text(), QStringLiteral("Pro něco ten materiál určen být musí"));
    f.dlg.m_editName->HideBalloon();

    f.ClickMark(IdcPurposeGas);
    QVERIFY(gas->isChecked());
    QVERIFY(f.dlg.m_editName->IsBalloonVisible());
    f.dlg.m_editName->HideBalloon();

    // With another box of the group checked, the first may go.
    f.ClickMark(IdcGroupCheckNetworks);
    f.ClickMark(IdcGroupCheckZti);
    QVERIFY(!zti->isChecked() && networks->isChecked());
    f.ClickMark(IdcPurposeWater);
    f.ClickMark(IdcPurposeGas);
    QVERIFY(!gas->isChecked());
    QVERIFY(!f.dlg.m_editName->IsBalloonVisible());
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.Work("Ocel")->m_nGroup, std::uint32_t{GroupUtilityNetworks});
    QCOMPARE(f.Work("Ocel")->m_nPurposes, std::uint32_t{PurposeWater});
}

namespace {
// Closes the description format dialog, once it is open, with `answer` after `edit`.
template <class Edit>
void WhenFormatDialogOpens(bool accept, Edit edit)
{
    QTimer::singleShot(0, [accept, edit] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        edit(dialog);
        if (accept) dialog->accept();
        else dialog->reject();
    });
}
} // namespace

void TestDlgMatEditujFields::cancelledFormatDialogStillStoresUserDefinedMode()
{
    OpenFields f;
    f.Edit("PVC"); // described by DN
    WhenFormatDialogOpens(false, [](QDialog*) {});
    f.ClickMark(IdcDescOther);
    QVERIFY(Button(f.dlg, IdcDescOther)->isChecked());
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QCOMPARE(f.Work("PVC")->m_nDescMode, 2);
    QVERIFY(std::u16string(f.Work("PVC")->m_szPrefix).empty());
}

void TestDlgMatEditujFields::formatDialogAcceptedStoresItsValues()
{
    OpenFields f;
    f.Edit("Litina");
    WhenFormatDialogOpens(true, [](QDialog* dialog) {
        const auto edits = dialog->findChildren<QLineEdit*>();
        QCOMPARE(edits.size(), 2);
        QTest::keyClicks(edits[0], QStringLiteral("ø"));
        QTest::keyClicks(edits[1], QStringLiteral(" mm"));
    });
    f.ClickMark(IdcDescOther);
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.Work("Litina")->m_nDescMode, 2);
    QVERIFY(std::u16string(f.Work("Litina")->m_szPrefix) == u"ø");
    QVERIFY(std::u16string(f.Work("Litina")->m_szSuffix) == u" mm");
}

void TestDlgMatEditujFields::roughnessOutOfRangeIsShownButStored()
{
    OpenFields f;
    f.Edit("PVC");
    QCOMPARE(EditText(f.dlg, IdcRoughness), QStringLiteral("0.01000"));
    QVERIFY(f.dlg.m_editRoughness->valid);
    f.Type(f.dlg.m_editRoughness, QStringLiteral("5"));
    QVERIFY(!f.dlg.m_editRoughness->valid);
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QCOMPARE(f.Work("PVC")->m_fRoughness, 5.0f);
}

void TestDlgMatEditujFields::storedNewMaterialIsTheSelectedRow()
{
    OpenFields f;
    ClickRow(f.List(), 2); // PVC, described by DN
    f.Click(IdcAddMaterial);
    QTest::keyClicks(f.dlg.m_editName, QStringLiteral("Nerez"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(ListedNames(f.List()),
             (QStringList{QStringLiteral("Litina"), QStringLiteral("Nerez"), QStringLiteral("Ocel"), QStringLiteral("PVC")}));
    QCOMPARE(f.List().GetSelectedRow(), 1);
    QCOMPARE(f.dlg.m_nCurItem, 1);
    QCOMPARE(EditText(f.dlg, IdcName), QStringLiteral("Nerez"));
    QCOMPARE(f.Work("Nerez")->m_nDescMode, 0); // the selected row's (PVC, by DN) mode
    QCOMPARE(f.Work("Nerez")->m_fRoughness, 0.01f);
}

void TestDlgMatEditujFields::overlongPastedManufacturerStoresNothing()
{
    OpenFields f;
    const QString longName = QStringLiteral("Vyrobce s velmi dlouhym jmenem"); // 30 characters
    // Typing stops at 25 characters; a paste is taken whole.
    f.Edit("PVC");
    f.Type(f.dlg.m_editManufacturer, longName);
    QCOMPARE(EditText(f.dlg, IdcManufacturer).size(), 25);
    f.Paste(f.dlg.m_editManufacturer, longName);
    QCOMPARE(EditText(f.dlg, IdcManufacturer), longName);
    QTest::keyClicks(f.dlg.GetDlgItem(IdcDetail), QStringLiteral("X"));
    f.Click(IdcSaveMaterial);
    QVERIFY(Contains(f.LastPrompt(), "Příliš dlouhý výrobce"));
    QCOMPARE(f.dlg.m_nEditMode, 3);
    QVERIFY(f.Work("PVC")->m_strManufacturer == u"Pipelife");
    QVERIFY(f.Work("PVC")->m_strDetail == u"Polyvinylchlorid");
    QVERIFY(f.dlg.m_workCatalog.m_bSaved);
    QCOMPARE(EditText(f.dlg, IdcManufacturer), longName); // the fields keep what was typed

    // Adding: the new material does not stay in the catalog; corrected, it is stored.
    f.Click(IdcCancelMaterial);
    f.Click(IdcAddMaterial);
    QTest::keyClicks(f.dlg.m_editName, QStringLiteral("Novy"));
    f.Paste(f.dlg.m_editManufacturer, longName);
    f.Click(IdcSaveMaterial);
    QVERIFY(Contains(f.LastPrompt(), "Příliš dlouhý výrobce"));
    QCOMPARE(f.dlg.m_nEditMode, 1);
    QVERIFY(!f.Work("Novy"));
    QVERIFY(f.dlg.m_workCatalog.m_bSaved);
    QCOMPARE(f.List().GetItemCount(), 3);
    f.Type(f.dlg.m_editManufacturer, QStringLiteral("Wavin"));
    f.Click(IdcSaveMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QVERIFY(f.Work("Novy")->m_strManufacturer == u"Wavin");
}

void TestDlgMatEditujFields::refusedFormAfterRenameKeepsTheOldName()
{
    OpenFields f;
    // A pasted name over 20 characters is refused when editing, before anything is renamed.
    f.Edit("PVC");
    f.Paste(f.dlg.m_editName, QStringLiteral("Polyvinylchlorid tvrdý"));
    f.Click(IdcSaveMaterial);
    QVERIFY(Contains(f.LastPrompt(), "Příliš dlouhý název"));
    QCOMPARE(f.dlg.m_nEditMode, 3);
    QVERIFY(f.Work("PVC"));
    f.Click(IdcCancelMaterial);

    // A material whose pressure class lies outside the table shows no selection; storing it
    // under a new name is refused by the material and the name goes back.
    f.Work("Ocel")->m_nPN = 99;
    f.dlg.m_workCatalog.m_bSaved = true;
    f.Edit("Ocel");
    f.Type(f.dlg.m_editName, QStringLiteral("Ocel 2"));
    f.Click(IdcSaveMaterial);
    QVERIFY(Contains(f.LastPrompt(), "SDR nebo PN nenalezeno v seznamu "));
    QCOMPARE(f.dlg.m_nEditMode, 3);
    QVERIFY(f.Work("Ocel") && !f.Work("Ocel 2"));
    QVERIFY(f.Work("Ocel")->m_strName == u"Ocel");
    QVERIFY(f.dlg.m_workCatalog.m_bSaved);
    QCOMPARE(ListedNames(f.List()).indexOf(QStringLiteral("Ocel")), 1);
}

void TestDlgMatEditujFields::overlongPastedNameOfANewMaterialIsRefusedAtTheField_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("adding") << int(IdcAddMaterial);
    QTest::newRow("copying") << int(IdcCopyMaterial);
}

void TestDlgMatEditujFields::overlongPastedNameOfANewMaterialIsRefusedAtTheField()
{
    // The name field's own message, as for a 21st typed character, not an exception report.
    QFETCH(int, button);
    OpenFields f;
    f.Edit("PVC", button);
    f.Paste(f.dlg.m_editName, QStringLiteral("Polyvinylchlorid tvrdý"));
    f.Click(IdcSaveMaterial);
    QVERIFY(f.services.Prompts().empty());
    QVERIFY(f.dlg.m_editName->IsBalloonVisible());
    QCOMPARE(f.dlg.m_editName->Balloon()->Title(), QStringLiteral("Příliš dlouhý název"));
    QCOMPARE(f.dlg.m_editName->Balloon()->Text(), QStringLiteral("Maximální délka je omezena na 20 znaků"));
    QCOMPARE(QApplication::focusWidget(), f.dlg.m_editName);
    QCOMPARE(f.dlg.m_nEditMode, button == IdcAddMaterial ? 1 : 2);
    QCOMPARE(f.dlg.m_workCatalog.m_materials.size(), std::size_t(3));
    QVERIFY(f.dlg.m_workCatalog.m_bSaved);
    QCOMPARE(EditText(f.dlg, IdcName), QStringLiteral("Polyvinylchlorid tvrdý"));
}

void TestDlgMatEditujFields::cancelShowsTheEditedMaterialAgain()
{
    OpenFields f;
    f.Edit("Litina");
    f.Type(f.dlg.m_editName, QStringLiteral("Jine"));
    f.ClickMark(IdcGroupCheckZti);
    f.Click(IdcCancelMaterial);
    QCOMPARE(f.dlg.m_nEditMode, 0);
    QCOMPARE(EditText(f.dlg, IdcName), QStringLiteral("Litina"));
    QVERIFY(!Button(f.dlg, IdcGroupCheckZti)->isChecked());
    QVERIFY(f.Work("Litina")->m_nGroup == GroupUtilityNetworks);
    QVERIFY(!f.dlg.m_editName->isEnabled());
}

QTEST_MAIN(TestDlgMatEditujFields)
#include "test_dlgmatedituj_fields.moc"
