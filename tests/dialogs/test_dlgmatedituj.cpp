// The editing dialog's material list and modes: opening, the enable rules of each mode control
// by control, the four material buttons and the double click, deleting, the keys in browsing
// and editing modes, RunEditing's working copy.

#include "CatalogDialogTestSupport.h"
#include "CheckedEdit.h"
#include "DialogTestSupport.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace MatDlgId;

namespace {

// The controls of each group of the enable rules, as the user sees them.
const std::initializer_list<int> kFieldIds = {
    IdcPurposeWater, IdcPurposeGas, IdcPurposeSewer, IdcPurposePressureSewer, IdcPurposeHeating,
    IdcGroupCheckZti, IdcGroupCheckNetworks, IdcName, IdcPopis, IdcDetail, IdcManufacturer, IdcRoughness,
    IdcComboPn, IdcComboSdr, IdcDescDn, IdcDescDxT, IdcDescOther, IdcShapeCircle, IdcShapeEgg,
    IdcShapeEggPrague, IdcShapeMouth, IdcShapeRectangle, IdcLabelDescMode, IdcLabelDetail,
    IdcLabelManufacturer, IdcLabelSdr, IdcLabelName, IdcLabelPopis, IdcLabelPn, IdcLabelRoughness,
};
const std::initializer_list<int> kBrowsingIds = {
    IdcMaterialList, IdcAddProfile, IdcDeleteProfile, IdcDeleteAllProfiles, IdcGenerateProfiles, IdcProfileTree,
    IdcUrsAssembly, IdcUrsMaterial, IdcAddMaterial, IdcDeleteMaterial, IdcCopyMaterial, IdcEditMaterial,
    IdcFilterSewer, IdcFilterPressureSewer, IdcFilterWater, IdcFilterGas, IdcFilterHeating, IdcFilterAll,
    IdcGroupZti, IdcGroupNetworks, IdcGroupAll, IdcLoadFromFile, IdcLoadStandard,
};
const std::initializer_list<int> kAlwaysEnabledIds = {IDOK, IDCANCEL, IdcHelpButton, IdcMaterialCaption,
                                                      IdcProfileCaption};
const std::initializer_list<int> kProfileIds = {IdcAddProfile, IdcDeleteProfile, IdcDeleteAllProfiles,
                                                IdcGenerateProfiles, IdcProfileTree, IdcUrsAssembly, IdcUrsMaterial};

auto IsEnabled = [](QWidget* w) { return w->isEnabled(); };
auto IsDisabled = [](QWidget* w) { return !w->isEnabled(); };

// The dialog as RunEditing prepares it, shown without a modal loop.
struct OpenEditing {
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog; // the caller's
    CQyDlgMatEdituj dlg;

    explicit OpenEditing(std::initializer_list<TestMaterial> materials = {
                             {"PVC", GroupAll, PurposeSewer, {11, 13}, DescByDn, "Polyvinylchlorid", "Pipelife"},
                             {"Litina", GroupUtilityNetworks, PurposeWater, {11}, DescOuterXWall, "Tvárná litina", "Duktus"},
                             {"Ocel", GroupBuildingServices, PurposeGas, {}, DescOuterXWall, "Ocelová trubka", "Ferona"},
                         })
    {
        FillCatalog(catalog, materials);
        QVERIFY(OpenEditingOn(dlg, catalog));
    }
    CMaterialListCtrl& List() { return *dlg.m_listMat; }
    CTreeListCtrl& Tree() { return *dlg.m_treeProf; }
    void Click(int id) { QTest::mouseClick(Button(dlg, id), Qt::LeftButton); }
    int RowOf(const char* name) { return static_cast<int>(ListedNames(List()).indexOf(QString::fromUtf8(name))); }
    CWexMaterial* Work(const char16_t* name) { return dlg.m_workCatalog.Find(name); }
};

} // namespace

class TestDlgMatEdituj : public QObject {
    Q_OBJECT

private slots:
    void opensBrowsingWithEveryMaterial();
    void setEditStateSwitchesEachControl();
    void addStartsANewMaterialInTheSelectedDescriptionMode();
    void addWithNothingSelectedUsesDxT();
    void copyAndEditShowTheSelectedMaterial();
    void doubleClickOnARowEditsInsteadOfClosing();
    void emptyCatalogLeavesOnlyAdd();
    void deleteRemovesTheMaterialAndShowsTheNextRow();
    void deleteKeepsAMaterialInUse();
    void deletingTheOnlyMaterialDisablesTheProfileControls();
    void enterAndEscapeWhileBrowsingCloseTheDialog_data();
    void enterAndEscapeWhileBrowsingCloseTheDialog();
    void enterAndEscapeWhileEditingEndThePendingMaterial();
    void enterOnAFocusedButtonStoresThePendingMaterial();
    void filterButtonsRefillTheList();
    void runEditingWorksOnACopy();
};

void TestDlgMatEdituj::opensBrowsingWithEveryMaterial()
{
    OpenEditing e;
    QCOMPARE(e.dlg.windowTitle(), QStringLiteral("Materiály potrubí"));
    QCOMPARE(e.dlg.HeaderText(), QStringLiteral("Dialog pro zadání materiálů"));
    QVERIFY(e.dlg.m_bEditing);
    QCOMPARE(e.dlg.m_nEditMode, 0);
    QCOMPARE(ListedNames(e.List()), QStringList({"Litina", "Ocel", "PVC"}));
    QCOMPARE(EditText(e.dlg, IdcName), QStringLiteral("Litina"));
    QVERIFY(Button(e.dlg, IdcFilterAll)->isChecked());
    QVERIFY(Button(e.dlg, IdcGroupAll)->isChecked());
    // Captions are not prompts here.
    QCOMPARE(e.dlg.GetDlgItemAs<QLabel>(IdcMaterialCaption)->text(), QStringLiteral("Materiály potrubí"));
    QCOMPARE(e.dlg.GetDlgItemAs<QLabel>(IdcMaterialCaption)->palette().color(QPalette::WindowText),
             CQyAcDialog::HotLightColor());
    QCOMPARE(e.dlg.GetDlgItemAs<QLabel>(IdcProfileCaption)->palette().color(QPalette::WindowText),
             CQyAcDialog::HotLightColor());

    // The six icon buttons show icons, the validated edits are the dialog's own fields.
    for (int id : {IdcAddMaterial, IdcDeleteMaterial, IdcCopyMaterial, IdcEditMaterial, IdcAddProfile, IdcDeleteProfile}) {
        QVERIFY2(!Button(e.dlg, id)->icon().isNull(), qPrintable(QString::number(id)));
        QVERIFY(Button(e.dlg, id)->text().isEmpty());
    }
    QCOMPARE(e.dlg.GetDlgItem(IdcName), static_cast<QWidget*>(e.dlg.m_editName));
    QCOMPARE(e.dlg.GetDlgItem(IdcRoughness), static_cast<QWidget*>(e.dlg.m_editRoughness));
    QCOMPARE(e.dlg.m_editRoughness->balloonTitle, QStringLiteral("Zadání mimo rozsah"));
    QCOMPARE(e.dlg.m_editName->maxLength, 20);
    QCOMPARE(e.dlg.m_editManufacturer->maxLength, 25);
    QCOMPARE(QString::fromUtf16(e.dlg.m_dnLabels[11]), QStringLiteral("DN 100"));
    QVERIFY(e.dlg.m_dnLabels[kDnCount] == nullptr);

    // Tooltips of every Part, one per control, and the profile list takes its placeholder's.
    QCOMPARE(e.dlg.ToolTips().size(), std::size_t(50));
    QCOMPARE(e.dlg.ToolTips().at(IdcFilterAll).text, QStringLiteral("Zobrazit všechny materiály"));
    QCOMPARE(e.dlg.ToolTips().at(IDOK).text, QStringLiteral("Opustí dialog s uložením provedených změn, bez výběru"));
    QVERIFY(e.Tree().toolTip().contains(QStringLiteral("Seznam profilů")));
    QVERIFY(e.List().toolTip().contains(QStringLiteral("Seznam materiálů")));
}

void TestDlgMatEdituj::setEditStateSwitchesEachControl()
{
    OpenEditing e;
    // Browsing, as opened.
    QCOMPARE(IdsFailing(e.dlg, kFieldIds, IsDisabled), QStringList());
    QCOMPARE(IdsFailing(e.dlg, kBrowsingIds, IsEnabled), QStringList());
    QCOMPARE(IdsFailing(e.dlg, kAlwaysEnabledIds, IsEnabled), QStringList());
    QVERIFY(!e.dlg.GetDlgItem(IdcSaveMaterial)->isVisible());
    QVERIFY(!e.dlg.GetDlgItem(IdcCancelMaterial)->isVisible());

    for (int button : {IdcAddMaterial, IdcCopyMaterial, IdcEditMaterial}) {
        e.Click(button);
        QVERIFY(e.dlg.m_nEditMode != 0);
        QCOMPARE(IdsFailing(e.dlg, kFieldIds, IsEnabled), QStringList());
        QCOMPARE(IdsFailing(e.dlg, kBrowsingIds, IsDisabled), QStringList());
        QCOMPARE(IdsFailing(e.dlg, kAlwaysEnabledIds, IsEnabled), QStringList());
        QVERIFY(e.dlg.GetDlgItem(IdcSaveMaterial)->isVisible());
        QVERIFY(e.dlg.GetDlgItem(IdcCancelMaterial)->isVisible());

        e.Click(IdcCancelMaterial);
        QCOMPARE(e.dlg.m_nEditMode, 0);
        QCOMPARE(IdsFailing(e.dlg, kFieldIds, IsDisabled), QStringList());
        QCOMPARE(IdsFailing(e.dlg, kBrowsingIds, IsEnabled), QStringList());
        QVERIFY(!e.dlg.GetDlgItem(IdcSaveMaterial)->isVisible());
    }
}

void TestDlgMatEdituj::addStartsANewMaterialInTheSelectedDescriptionMode()
{
    OpenEditing e;
    ClickRow(e.List(), e.RowOf("PVC")); // described by DN
    QCOMPARE(e.Tree().GetCount(), 2);
    e.Click(IdcAddMaterial);
    QCOMPARE(e.dlg.m_nEditMode, 1);
    QCOMPARE(e.dlg.m_nCurItem, -1);
    QVERIFY(!e.dlg.m_pEditMaterial);
    QVERIFY(Button(e.dlg, IdcDescDn)->isChecked());
    QCOMPARE(EditText(e.dlg, IdcName), QString());
    QCOMPARE(EditText(e.dlg, IdcPopis), QString());
    QCOMPARE(EditText(e.dlg, IdcManufacturer), QString());
    QCOMPARE(EditText(e.dlg, IdcRoughness), QStringLiteral("0.01"));
    QCOMPARE(e.dlg.GetDlgItemAs<QComboBox>(IdcComboPn)->currentText(), QStringLiteral("---"));
    QCOMPARE(e.dlg.GetDlgItemAs<QComboBox>(IdcComboSdr)->currentText(), QStringLiteral("---"));
    QVERIFY(Button(e.dlg, IdcShapeCircle)->isChecked());
    for (int id : {IdcGroupCheckZti, IdcGroupCheckNetworks, IdcPurposeWater, IdcPurposeGas, IdcPurposeSewer,
                   IdcPurposePressureSewer, IdcPurposeHeating})
        QVERIFY2(Button(e.dlg, id)->isChecked(), qPrintable(QString::number(id)));
    QCOMPARE(e.dlg.focusWidget(), static_cast<QWidget*>(e.dlg.m_editName));
    // The previous material's profiles stay, disabled.
    QCOMPARE(e.Tree().GetCount(), 2);
    QVERIFY(!e.Tree().isEnabled());

    // Escape shows the selected material again, the one whose profiles the table shows.
    QTest::keyClick(e.dlg.m_editName, Qt::Key_Escape);
    QCOMPARE(e.dlg.m_nEditMode, 0);
    QVERIFY(Button(e.dlg, IdcDescDn)->isChecked());
    QCOMPARE(EditText(e.dlg, IdcName), QStringLiteral("PVC"));
}

void TestDlgMatEdituj::addWithNothingSelectedUsesDxT()
{
    OpenEditing e({});
    e.Click(IdcAddMaterial);
    QCOMPARE(e.dlg.m_nEditMode, 1);
    QVERIFY(Button(e.dlg, IdcDescDxT)->isChecked());
}

void TestDlgMatEdituj::copyAndEditShowTheSelectedMaterial()
{
    OpenEditing e;
    const int pvc = e.RowOf("PVC");
    ClickRow(e.List(), pvc);
    e.Click(IdcCopyMaterial);
    QCOMPARE(e.dlg.m_nEditMode, 2);
    QCOMPARE(e.dlg.m_nCurItem, -1);
    QCOMPARE(e.dlg.m_pEditMaterial, e.Work(u"PVC"));
    QCOMPARE(EditText(e.dlg, IdcName), QStringLiteral("PVC"));
    QCOMPARE(EditText(e.dlg, IdcDetail), QStringLiteral("Polyvinylchlorid"));
    QTest::keyClick(e.dlg.m_editName, Qt::Key_Escape);
    QCOMPARE(e.dlg.m_nEditMode, 0);
    QVERIFY(!e.dlg.m_pEditMaterial);

    e.Click(IdcEditMaterial);
    QCOMPARE(e.dlg.m_nEditMode, 3);
    QCOMPARE(e.dlg.m_nCurItem, pvc);
    QCOMPARE(e.dlg.m_pEditMaterial, e.Work(u"PVC"));
    // Abandoning shows the material again, whatever was typed.
    e.dlg.m_editName->selectAll();
    QTest::keyClicks(e.dlg.m_editName, QStringLiteral("Jine"));
    e.Click(IdcCancelMaterial);
    QCOMPARE(EditText(e.dlg, IdcName), QStringLiteral("PVC"));
    QCOMPARE(e.Work(u"PVC")->m_strName, std::u16string(u"PVC"));
}

void TestDlgMatEdituj::doubleClickOnARowEditsInsteadOfClosing()
{
    OpenEditing e;
    const int ocel = e.RowOf("Ocel");
    ClickRow(e.List(), ocel, true);
    QVERIFY(e.dlg.isVisible());
    QCOMPARE(e.dlg.m_nEditMode, 3);
    QCOMPARE(e.dlg.m_nCurItem, ocel);
    QCOMPARE(e.dlg.m_pEditMaterial, e.Work(u"Ocel"));
    QVERIFY(!e.dlg.m_pSelMaterial);
    QVERIFY(e.services.Prompts().empty());
}

void TestDlgMatEdituj::emptyCatalogLeavesOnlyAdd()
{
    OpenEditing e({});
    QCOMPARE(e.List().GetItemCount(), 0);
    QCOMPARE(e.dlg.m_nCurItem, -1);
    QCOMPARE(IdsFailing(e.dlg, kFieldIds, IsDisabled), QStringList());
    QCOMPARE(EditText(e.dlg, IdcName), QString());
    for (int id : {IdcCopyMaterial, IdcEditMaterial, IdcDeleteMaterial}) {
        e.Click(id);
        QCOMPARE(e.dlg.m_nEditMode, 0);
        QVERIFY(!e.dlg.m_pEditMaterial);
    }
    QVERIFY(e.services.Prompts().empty());
    e.Click(IdcAddMaterial);
    QCOMPARE(e.dlg.m_nEditMode, 1);
}

void TestDlgMatEdituj::deleteRemovesTheMaterialAndShowsTheNextRow()
{
    OpenEditing e;
    ClickRow(e.List(), e.RowOf("Ocel"));
    e.Click(IdcDeleteMaterial);
    QVERIFY(!e.Work(u"Ocel"));
    QVERIFY(!e.dlg.m_workCatalog.m_bSaved);
    QVERIFY(e.catalog.Find(u"Ocel")); // the caller's catalog is untouched
    QCOMPARE(ListedNames(e.List()), QStringList({"Litina", "PVC"}));
    // The row that took the deleted row's place is selected and shown, with its profiles.
    QCOMPARE(e.dlg.m_nCurItem, 1);
    QCOMPARE(e.List().GetSelectedRow(), 1);
    QCOMPARE(EditText(e.dlg, IdcName), QStringLiteral("PVC"));
    // The editing dialog shows the DN label in its fifth column ("DN").
    QCOMPARE(TreeTexts(e.Tree(), 4), QStringList({"DN 100", "DN 150"}));
    QVERIFY(e.List().hasFocus());

    // Deleting the last row selects the new last row.
    e.Click(IdcDeleteMaterial);
    QCOMPARE(ListedNames(e.List()), QStringList({"Litina"}));
    QCOMPARE(e.dlg.m_nCurItem, 0);
    QCOMPARE(EditText(e.dlg, IdcName), QStringLiteral("Litina"));
    QVERIFY(e.services.Prompts().empty());
}

void TestDlgMatEdituj::deleteKeepsAMaterialInUse()
{
    OpenEditing e;
    CWexMaterial* hostSlot = nullptr;
    e.Work(u"Litina")->AddUser(&hostSlot);
    hostSlot = e.Work(u"Litina");
    e.dlg.m_workCatalog.m_bSaved = true;
    ClickRow(e.List(), e.RowOf("Litina"));
    e.Click(IdcDeleteMaterial);
    QCOMPARE(ListedNames(e.List()), QStringList({"Litina", "Ocel", "PVC"}));
    QCOMPARE(hostSlot, e.Work(u"Litina"));
    QVERIFY(e.dlg.m_workCatalog.m_bSaved);
    QCOMPARE(e.dlg.m_nCurItem, 0);
    QVERIFY(e.services.Prompts().empty());
    e.Work(u"Litina")->RemoveUser(&hostSlot);
}

void TestDlgMatEdituj::deletingTheOnlyMaterialDisablesTheProfileControls()
{
    OpenEditing e({{"PVC", GroupAll, PurposeAll, {11, 13}}});
    QCOMPARE(e.Tree().GetCount(), 2);
    e.Click(IdcDeleteMaterial);
    QVERIFY(e.dlg.m_workCatalog.m_materials.empty());
    QCOMPARE(e.List().GetItemCount(), 0);
    QCOMPARE(e.dlg.m_nCurItem, -1);
    QCOMPARE(e.Tree().GetCount(), 0);
    QCOMPARE(IdsFailing(e.dlg, kProfileIds, IsDisabled), QStringList());
    QVERIFY(Button(e.dlg, IdcAddMaterial)->isEnabled());

    // Abandoning a new material leaves nothing to act on; a stored one gives the profile
    // controls back.
    e.Click(IdcAddMaterial);
    e.Click(IdcCancelMaterial);
    QCOMPARE(IdsFailing(e.dlg, kProfileIds, IsDisabled), QStringList());
    e.Click(IdcAddMaterial);
    QTest::keyClicks(e.dlg.m_editName, QStringLiteral("PE"));
    e.Click(IdcSaveMaterial);
    QCOMPARE(IdsFailing(e.dlg, kProfileIds, IsEnabled), QStringList());
}

void TestDlgMatEdituj::enterAndEscapeWhileBrowsingCloseTheDialog_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter: the default button OK") << int(Qt::Key_Return) << int(IDOK);
    QTest::newRow("Escape: cancel") << int(Qt::Key_Escape) << int(IDCANCEL);
}

void TestDlgMatEdituj::enterAndEscapeWhileBrowsingCloseTheDialog()
{
    QFETCH(int, key);
    QFETCH(int, result);
    OpenEditing e;
    e.List().setFocus();
    QTest::keyClick(&e.List(), Qt::Key(key));
    QVERIFY(!e.dlg.isVisible());
    QCOMPARE(e.dlg.result(), result);
}

void TestDlgMatEdituj::enterAndEscapeWhileEditingEndThePendingMaterial()
{
    OpenEditing e;
    // Stored materials need a pressure class and SDR series the lists can show.
    for (auto& [name, material] : e.dlg.m_workCatalog.m_materials) material->m_nPN = material->m_nSDR = 0;
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        e.Click(IdcAddMaterial);
        QTest::keyClicks(e.dlg.m_editName, QStringLiteral("Novy %1").arg(key));
        QTest::keyClick(e.dlg.m_editName, Qt::Key(key));
        QVERIFY(e.dlg.isVisible());
        QCOMPARE(e.dlg.m_nEditMode, 0);
        QVERIFY(!e.dlg.GetDlgItem(IdcSaveMaterial)->isVisible());
    }
    // Also from a drop-down list and a check box.
    e.Click(IdcEditMaterial);
    QTest::keyClick(e.dlg.GetDlgItem(IdcComboSdr), Qt::Key_Escape);
    QCOMPARE(e.dlg.m_nEditMode, 0);
    QVERIFY(e.dlg.isVisible());
    e.Click(IdcEditMaterial);
    QTest::keyClick(e.dlg.GetDlgItem(IdcPurposeGas), Qt::Key_Return);
    QCOMPARE(e.dlg.m_nEditMode, 0);
    QVERIFY(e.dlg.isVisible());
}

void TestDlgMatEdituj::enterOnAFocusedButtonStoresThePendingMaterial()
{
    OpenEditing e;
    for (auto& [name, material] : e.dlg.m_workCatalog.m_materials) material->m_nPN = material->m_nSDR = 0;
    e.Click(IdcEditMaterial);
    auto* cancelMaterial = e.dlg.GetDlgItemAs<QPushButton>(IdcCancelMaterial);
    auto* ok = e.dlg.GetDlgItemAs<QPushButton>(IDOK);
    QSignalSpy cancelClicks(cancelMaterial, &QAbstractButton::clicked);
    QSignalSpy okClicks(ok, &QAbstractButton::clicked);
    cancelMaterial->setFocus();
    QTest::keyClick(cancelMaterial, Qt::Key_Return);
    QCOMPARE(cancelClicks.count(), 0);
    QCOMPARE(e.dlg.m_nEditMode, 0);

    e.Click(IdcEditMaterial);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    QCOMPARE(okClicks.count(), 0);
    QCOMPARE(e.dlg.m_nEditMode, 0);
    QVERIFY(e.dlg.isVisible());
}

void TestDlgMatEdituj::filterButtonsRefillTheList()
{
    OpenEditing e;
    e.Click(IdcFilterWater);
    QCOMPARE(ListedNames(e.List()), QStringList({"Litina"}));
    e.Click(IdcFilterAll);
    e.Click(IdcGroupZti);
    QCOMPARE(ListedNames(e.List()), QStringList({"Ocel", "PVC"}));
    QCOMPARE(EditText(e.dlg, IdcName), QStringLiteral("Ocel"));
}

void TestDlgMatEdituj::runEditingWorksOnACopy()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
    FillCatalog(catalog, {{"A", GroupUtilityNetworks, PurposeSewer}, {"B", GroupBuildingServices, PurposeGas}});
    {
        CQyDlgMatEdituj dlg;
        QCOMPARE(dlg.RunEditing(nullptr, {}), -1);
    }
    CQyDlgMatEdituj dlg;
    QStringList listed;
    WhenModalShown([&](QWidget* modal) {
        auto* d = qobject_cast<CQyDlgMatEdituj*>(modal);
        if (!d) return;
        listed = ListedNames(*d->m_listMat);
        QTest::mouseClick(d->GetDlgItemAs<QAbstractButton>(IdcDeleteMaterial), Qt::LeftButton);
        services.QueueAnswer(IDNO); // "Uložit provedené změny do souboru?"
        QTest::keyClick(d->m_listMat, Qt::Key_Escape);
    });
    QCOMPARE(dlg.RunEditing(&catalog, {GroupBuildingServices, PurposeGas}), int(IDCANCEL));
    QCOMPARE(listed, QStringList({"B"}));
    QCOMPARE(dlg.m_pTargetCatalog, &catalog);
    QCOMPARE(dlg.m_pCatalog, &dlg.m_workCatalog);
    QVERIFY(!dlg.m_workCatalog.Find(u"B"));
    QVERIFY(catalog.Find(u"B"));
    QVERIFY(catalog.m_bSaved);
}

QTEST_MAIN(TestDlgMatEdituj)
#include "test_dlgmatedituj.moc"
