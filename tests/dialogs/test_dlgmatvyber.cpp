// The selection dialog as a host and its user meet it: the list's order and filters, the
// empty cases and their messages, accepting in material and profile mode (buttons, double
// clicks), the editing button and help.

#include "CatalogDialogTestSupport.h"
#include "CatalogSettingsTestSupport.h"
#include "DialogTestSupport.h"
#include "QyDlgMatEdituj.h"
#include "QyDlgMatVyber.h"
#include "ScriptedWindowServices.h"

#include "CWexFunkce.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPalette>
#include <QUrl>

#include <cmath>
#include <QtTest>

using namespace MatDlgId;

namespace {

// Three materials whose names test the order, with their uses and profiles:
//   čáp  ZTI, water                DN 100, DN 150
//   Cap  networks, sewer + gas     no profiles, PN 10, SDr 11
//   dub  both groups, heating      DN 50, DN 80, DN 100 (described by DN)
void FillThree(CWexSezMaterialu& catalog)
{
    FillCatalog(catalog, {
        {"čáp", GroupBuildingServices, PurposeWater, {11, 13}, DescOuterXWall, "Čapí trubka", "Čapí závody"},
        {"Cap", GroupUtilityNetworks, PurposeSewer | PurposeGas, {}, DescOuterXWall, "Cap detail", "Cap s.r.o."},
        {"dub", GroupAll, PurposeHeating, {8, 10, 11}, DescByDn, "Dubová", "Les"},
    });
    catalog.Find(u"Cap")->m_nPN = 2;
    catalog.Find(u"Cap")->m_nSDR = 4;
}

struct OpenSelection {
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
    CQyDlgMatVyber dlg;

    explicit OpenSelection(MaterialFilter filter = {}, bool selectProfile = false, bool three = true)
    {
        if (three) FillThree(catalog);
        dlg.m_pCatalog = &catalog;
        dlg.m_filter = filter;
        dlg.m_bSelectProfile = selectProfile;
        dlg.show();
    }
    CMaterialListCtrl& List() { return *dlg.m_listMat; }
    CTreeListCtrl& Tree() { return *dlg.m_treeProf; }
    int RowOf(const char* name) { return static_cast<int>(ListedNames(List()).indexOf(QString::fromUtf8(name))); }
    std::string LastPrompt() const
    {
        return services.Prompts().empty() ? std::string() : services.Prompts().back().Text();
    }
};

class HelpRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class TestDlgMatVyber : public QObject {
    Q_OBJECT

private slots:
    void listsByNameIgnoringCaseAccentsLast();
    void namesEqualButForCaseKeepTheCatalogsOrder();
    void showsTheFirstMaterialWhenOpened();
    void keysWalkTheListAndShowEachMaterial();
    void opensWithTheButtonsAndListOfTheHostsFilter_data();
    void opensWithTheButtonsAndListOfTheHostsFilter();
    void filterButtonsRefillTheListButKeepTheHostsFilter();
    void emptyCatalogListsNothingAndRefusesToAccept();
    void filterThatNoMaterialPassesRefusesToAccept();
    void materialModeAcceptsTheSelectedMaterialOnly();
    void profileModeNeedsAProfile();
    void doubleClickOnAMaterialAcceptsOnlyInMaterialMode();
    void doubleClickOnAProfileAcceptsIt();
    void runSelectionIsTheHostsEntry();
    void editingButtonReturningOkListsEveryMaterial();
    void editingButtonCancelledLeavesTheList();
    void editingButtonShowsTheAcceptedWork();
    void helpOpensTheHelpPage();
    void textTooLongForTheListIsReportedOnce();
    void disabledDetailsAreReadable_data();
    void disabledDetailsAreReadable();
    void listModelPassesTheModelTester();
};

void TestDlgMatVyber::listsByNameIgnoringCaseAccentsLast()
{
    OpenSelection s;
    QCOMPARE(ListedNames(s.List()), QStringList({"Cap", "dub", "čáp"}));
    QCOMPARE(s.List().GetItemText(0, 1), QStringLiteral("Cap detail"));
    QCOMPARE(s.List().GetItemText(0, 2), QStringLiteral("Cap s.r.o."));
    QCOMPARE(s.List().model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Zkrác. název"));
    QCOMPARE(s.List().model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Plný název / popis"));
    QCOMPARE(s.List().model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Výrobce"));
    QCOMPARE(s.List().columnWidth(0), 95);
    QCOMPARE(s.List().columnWidth(1), 170);
    // The item data is the record itself.
    QCOMPARE(s.List().GetItemData(2), s.catalog.Find(u"čáp"));
}

void TestDlgMatVyber::namesEqualButForCaseKeepTheCatalogsOrder()
{
    OpenSelection s({}, false, false);
    FillCatalog(s.catalog, {{"cap"}, {"ČÁP"}, {"Cap"}, {"ca"}, {"CAP"}, {"čáp"}, {"capa"}});
    s.dlg.FillMaterialList(MaterialFilter{GroupAll, PurposeAll});
    // Equal when lowered: in the catalog's own (code unit) order; a prefix first.
    QCOMPARE(ListedNames(s.List()), QStringList({"ca", "CAP", "Cap", "cap", "capa", "ČÁP", "čáp"}));
    QCOMPARE(s.List().GetItemData(0), s.catalog.Find(u"ca"));
    QCOMPARE(s.List().GetSelectedRow(), 0);
}

void TestDlgMatVyber::showsTheFirstMaterialWhenOpened()
{
    OpenSelection s;
    QCOMPARE(s.dlg.windowTitle(), QStringLiteral("Materiály potrubí"));
    QCOMPARE(s.dlg.m_nCurItem, 0);
    QCOMPARE(s.List().GetSelectedRow(), 0);
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("Cap"));
    QCOMPARE(EditText(s.dlg, IdcManufacturer), QStringLiteral("Cap s.r.o."));
    QCOMPARE(EditText(s.dlg, IdcRoughness), QStringLiteral("0.01000"));
    QVERIFY(Button(s.dlg, IdcPurposeSewer)->isChecked());
    QVERIFY(Button(s.dlg, IdcPurposeGas)->isChecked());
    QVERIFY(!Button(s.dlg, IdcPurposeWater)->isChecked());
    QVERIFY(!Button(s.dlg, IdcPurposeSewer)->isEnabled()); // detail controls are read-only
    QCOMPARE(s.dlg.m_comboPN->count(), 7);
    QCOMPARE(s.dlg.m_comboSDR->count(), 8);
    QCOMPARE(s.dlg.m_comboPN->currentText(), QStringLiteral("PN 10"));
    QCOMPARE(s.dlg.m_comboSDR->currentText(), QStringLiteral("SDr 11"));

    // Another row shows its material and its profiles, the first one selected.
    ClickRow(s.List(), s.RowOf("dub"));
    QCOMPARE(s.dlg.m_nCurItem, 1);
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("dub"));
    QVERIFY(Button(s.dlg, IdcDescDn)->isChecked());
    QCOMPARE(TreeTexts(s.Tree(), 1), QStringList({"DN 50", "DN 80", "DN 100"}));
    QCOMPARE(TreeTexts(s.Tree(), 0), QStringList({"DN 50", "DN 80", "DN 100"}));
    QVERIFY(s.Tree().GetSelectedItem() == s.Tree().GetRootItem());
    CWexMaterial* dub = s.catalog.Find(u"dub");
    QVERIFY(dub->FindProfile(8)->m_hItem == s.Tree().GetRootItem());
}

void TestDlgMatVyber::keysWalkTheListAndShowEachMaterial()
{
    // Listed: Cap, dub, čáp. End and Home go to the last and the first material as in a report
    // list, not to the last and first column of the row.
    OpenSelection s;
    s.List().setFocus();
    QTest::keyClick(&s.List(), Qt::Key_End);
    QCOMPARE(s.List().GetSelectedRow(), 2);
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("čáp"));
    QCOMPARE(TreeTexts(s.Tree(), 0).size(), 2);
    QTest::keyClick(&s.List(), Qt::Key_Up);
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("dub"));
    QTest::keyClick(&s.List(), Qt::Key_Home);
    QCOMPARE(s.List().GetSelectedRow(), 0);
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("Cap"));
    QCOMPARE(s.Tree().GetCount(), 0);
    QTest::keyClick(&s.List(), Qt::Key_Down);
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("dub"));
}

void TestDlgMatVyber::opensWithTheButtonsAndListOfTheHostsFilter_data()
{
    QTest::addColumn<uint>("group");
    QTest::addColumn<uint>("purposes");
    QTest::addColumn<int>("purposeButton");
    QTest::addColumn<int>("groupButton");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("everything") << 3u << 31u << int(IdcFilterAll) << int(IdcGroupAll) << QStringList{"Cap", "dub", "čáp"};
    QTest::newRow("sewer and water: the lowest bit's button, and the list follows it")
        << 3u << 5u << int(IdcFilterSewer) << int(IdcGroupAll) << QStringList{"Cap"};
    QTest::newRow("heating only") << 3u << 16u << int(IdcFilterHeating) << int(IdcGroupAll) << QStringList{"dub"};
    QTest::newRow("water and gas, ZTI") << 1u << 12u << int(IdcFilterWater) << int(IdcGroupZti) << QStringList{"čáp"};
    QTest::newRow("utility networks") << 2u << 31u << int(IdcFilterAll) << int(IdcGroupNetworks) << QStringList{"Cap", "dub"};
    QTest::newRow("no bits: all") << 0u << 0u << int(IdcFilterAll) << int(IdcGroupAll) << QStringList{"Cap", "dub", "čáp"};
    QTest::newRow("bits outside the tables") << 7u << 64u << int(IdcFilterAll) << int(IdcGroupAll)
                                             << QStringList{"Cap", "dub", "čáp"};
}

void TestDlgMatVyber::opensWithTheButtonsAndListOfTheHostsFilter()
{
    QFETCH(uint, group);
    QFETCH(uint, purposes);
    QFETCH(int, purposeButton);
    QFETCH(int, groupButton);
    QFETCH(QStringList, listed);

    OpenSelection s({group, purposes});
    for (int id = IdcFilterSewer; id <= IdcFilterAll; ++id) QCOMPARE(Button(s.dlg, id)->isChecked(), id == purposeButton);
    for (int id = IdcGroupZti; id <= IdcGroupAll; ++id) QCOMPARE(Button(s.dlg, id)->isChecked(), id == groupButton);
    // No shape radio button is ever taken for a group button.
    for (int id = IdcShapeCircle; id <= IdcShapeRectangle; ++id) QVERIFY(!Button(s.dlg, id)->isChecked() || id == IdcShapeCircle);
    QCOMPARE(ListedNames(s.List()), listed);
}

void TestDlgMatVyber::filterButtonsRefillTheListButKeepTheHostsFilter()
{
    OpenSelection s;
    QTest::mouseClick(Button(s.dlg, IdcFilterWater), Qt::LeftButton);
    QCOMPARE(ListedNames(s.List()), QStringList({"čáp"}));
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("čáp"));
    QCOMPARE(s.dlg.m_nCurItem, 0);

    QTest::mouseClick(Button(s.dlg, IdcGroupNetworks), Qt::LeftButton);
    QCOMPARE(ListedNames(s.List()), QStringList());
    QCOMPARE(s.dlg.m_nCurItem, -1);

    QTest::mouseClick(Button(s.dlg, IdcFilterAll), Qt::LeftButton);
    QCOMPARE(ListedNames(s.List()), QStringList({"Cap", "dub"}));
    QTest::mouseClick(Button(s.dlg, IdcGroupZti), Qt::LeftButton);
    QCOMPARE(ListedNames(s.List()), QStringList({"dub", "čáp"}));
    QCOMPARE(s.dlg.m_filter, (MaterialFilter{3, 31}));
}

void TestDlgMatVyber::emptyCatalogListsNothingAndRefusesToAccept()
{
    OpenSelection s({}, false, false);
    QCOMPARE(s.List().GetItemCount(), 0);
    QCOMPARE(s.dlg.m_nCurItem, -1);
    QCOMPARE(s.Tree().GetCount(), 0);
    // The detail controls are left as constructed.
    QCOMPARE(EditText(s.dlg, IdcName), QString());
    for (int id = IdcShapeCircle; id <= IdcShapeRectangle; ++id) QVERIFY(!Button(s.dlg, id)->isChecked());
    for (QComboBox* combo : {s.dlg.m_comboPN, s.dlg.m_comboSDR}) {
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), QString());
    }

    QTest::mouseClick(Button(s.dlg, IDOK), Qt::LeftButton);
    QCOMPARE(s.LastPrompt(), std::string("Není vybrána žádný materiál"));
    QCOMPARE(s.services.Prompts().back().icon, MessageIcon::Warning);
    QCOMPARE(s.services.Prompts().back().title, kProgramTitle);
    QVERIFY(s.dlg.isVisible());
    QVERIFY(!s.dlg.m_pSelMaterial);
}

void TestDlgMatVyber::filterThatNoMaterialPassesRefusesToAccept()
{
    OpenSelection s({GroupUtilityNetworks, PurposeWater});
    QCOMPARE(s.List().GetItemCount(), 0);
    QCOMPARE(s.dlg.m_nCurItem, -1);
    QCOMPARE(s.dlg.m_comboPN->currentText(), QString()); // no selection, not "---"
    QCOMPARE(s.dlg.m_comboSDR->currentText(), QString());
    QTest::keyClick(&s.dlg, Qt::Key_Return);
    QCOMPARE(s.LastPrompt(), std::string("Není vybrána žádný materiál"));
    QVERIFY(s.dlg.isVisible());
}

void TestDlgMatVyber::materialModeAcceptsTheSelectedMaterialOnly()
{
    OpenSelection s;
    auto* caption = s.dlg.GetDlgItemAs<QLabel>(IdcMaterialCaption);
    QCOMPARE(caption->text(), QStringLiteral("Vyber materiál potrubí"));
    QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(s.dlg.GetDlgItemAs<QLabel>(IdcProfileCaption)->text(), QStringLiteral("Profily"));
    QCOMPARE(s.dlg.GetDlgItemAs<QLabel>(IdcProfileCaption)->palette().color(QPalette::WindowText),
             CQyAcDialog::HotLightColor());
    QVERIFY(s.Tree().isVisible());
    QVERIFY(!s.Tree().isEnabled());

    ClickRow(s.List(), s.RowOf("čáp"));
    QTest::mouseClick(Button(s.dlg, IDOK), Qt::LeftButton);
    QVERIFY(!s.dlg.isVisible());
    QCOMPARE(s.dlg.result(), int(IDOK));
    QCOMPARE(s.dlg.m_pSelMaterial, s.catalog.Find(u"čáp"));
    QVERIFY(!s.dlg.m_pSelProfile);
    QVERIFY(s.services.Prompts().empty());
}

void TestDlgMatVyber::profileModeNeedsAProfile()
{
    OpenSelection s({}, true);
    auto* caption = s.dlg.GetDlgItemAs<QLabel>(IdcProfileCaption);
    QCOMPARE(caption->text(), QStringLiteral("Vyber profil potrubí"));
    QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(s.dlg.GetDlgItemAs<QLabel>(IdcMaterialCaption)->text(), QStringLiteral("Materiály potrubí"));
    QVERIFY(s.Tree().isEnabled());

    // "Cap" has no profiles.
    QCOMPARE(s.Tree().GetCount(), 0);
    QTest::mouseClick(Button(s.dlg, IDOK), Qt::LeftButton);
    QCOMPARE(s.LastPrompt(), std::string("Není vybrána žádný profil"));
    QVERIFY(s.dlg.isVisible());

    ClickRow(s.List(), s.RowOf("čáp"));
    ClickTreeRow(s.Tree(), 1);
    QTest::mouseClick(Button(s.dlg, IDOK), Qt::LeftButton);
    QCOMPARE(s.dlg.result(), int(IDOK));
    CWexMaterial* cap = s.catalog.Find(u"čáp");
    QCOMPARE(s.dlg.m_pSelMaterial, cap);
    QCOMPARE(s.dlg.m_pSelProfile, cap->FindProfile(13));
}

void TestDlgMatVyber::doubleClickOnAMaterialAcceptsOnlyInMaterialMode()
{
    {
        OpenSelection s({}, true);
        ClickRow(s.List(), s.RowOf("dub"), true);
        QCOMPARE(s.LastPrompt(), std::string("Je třeba vybrat profil z vedlejšího seznamu"));
        QCOMPARE(s.services.Prompts().back().icon, MessageIcon::Warning);
        QVERIFY(s.dlg.isVisible());
        QVERIFY(!s.dlg.m_pSelMaterial);
    }
    {
        OpenSelection s;
        ClickRow(s.List(), s.RowOf("dub"), true);
        QCOMPARE(s.dlg.result(), int(IDOK));
        QCOMPARE(s.dlg.m_pSelMaterial, s.catalog.Find(u"dub"));
        QVERIFY(s.services.Prompts().empty());
    }
}

void TestDlgMatVyber::doubleClickOnAProfileAcceptsIt()
{
    OpenSelection s({}, true);
    ClickRow(s.List(), s.RowOf("dub"));
    ClickTreeRow(s.Tree(), 2, true);
    QCOMPARE(s.dlg.result(), int(IDOK));
    CWexMaterial* dub = s.catalog.Find(u"dub");
    QCOMPARE(s.dlg.m_pSelMaterial, dub);
    QCOMPARE(s.dlg.m_pSelProfile, dub->FindProfile(11));
}

void TestDlgMatVyber::runSelectionIsTheHostsEntry()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
    FillThree(catalog);
    CQyDlgMatVyber dlg;
    WhenModalShown([](QWidget* modal) {
        auto* d = qobject_cast<CQyDlgMatVyber*>(modal);
        if (!d) return;
        ClickRow(*d->m_listMat, 1);
        ClickTreeRow(*d->m_treeProf, 0);
        QTest::mouseClick(d->GetDlgItemAs<QAbstractButton>(IDOK), Qt::LeftButton);
    });
    QCOMPARE(dlg.RunSelection(&catalog, {3, 31}, true), int(IDOK));
    QCOMPARE(dlg.m_pSelMaterial, catalog.Find(u"dub"));
    QCOMPARE(dlg.m_pSelProfile, catalog.Find(u"dub")->FindProfile(8));
    QCOMPARE(dlg.m_pCatalog, &catalog);
    QVERIFY(dlg.m_bSelectProfile);

    // Run again on another catalog after the first is gone: it lists only the new one's
    // records (the first run's rows pointed at freed memory).
    {
        CWexSezMaterialu gone;
        FillCatalog(gone, {{"pryč"}});
        WhenModalShown([](QWidget* modal) {
            if (auto* d = qobject_cast<CQyDlgMatVyber*>(modal)) d->reject();
        });
        QCOMPARE(dlg.RunSelection(&gone, {3, 31}, false), int(IDCANCEL));
    }
    CWexSezMaterialu second;
    FillCatalog(second, {{"beton", GroupAll, PurposeAll, {12}}});
    QStringList listed;
    WhenModalShown([&listed](QWidget* modal) {
        auto* d = qobject_cast<CQyDlgMatVyber*>(modal);
        if (!d) return;
        listed = ListedNames(*d->m_listMat);
        ClickTreeRow(*d->m_treeProf, 0);
        QTest::mouseClick(d->GetDlgItemAs<QAbstractButton>(IDOK), Qt::LeftButton);
    });
    QCOMPARE(dlg.RunSelection(&second, {3, 31}, true), int(IDOK));
    QCOMPARE(listed, QStringList({"beton"}));
    QCOMPARE(dlg.m_pSelMaterial, second.Find(u"beton"));
    QCOMPARE(dlg.m_pSelProfile, second.Find(u"beton")->FindProfile(12));
}

void TestDlgMatVyber::editingButtonReturningOkListsEveryMaterial()
{
    OpenSelection s({GroupBuildingServices, PurposeWater});
    QCOMPARE(ListedNames(s.List()), QStringList({"čáp"}));
    bool sawEditing = false;
    MaterialFilter editingFilter;
    WhenModalShown([&](QWidget* modal) {
        auto* editing = qobject_cast<CQyDlgMatEdituj*>(modal);
        if (!editing) return;
        sawEditing = true;
        editingFilter = editing->m_filter;
        QTest::mouseClick(editing->GetDlgItemAs<QAbstractButton>(IDOK), Qt::LeftButton);
    });
    QTest::mouseClick(Button(s.dlg, IdcEditingButton), Qt::LeftButton);
    QVERIFY(sawEditing);
    QCOMPARE(editingFilter, (MaterialFilter{GroupBuildingServices, PurposeWater}));
    QCOMPARE(ListedNames(s.List()), QStringList({"Cap", "dub", "čáp"}));
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("Cap"));
    QVERIFY(Button(s.dlg, IdcFilterWater)->isChecked());
    QVERIFY(Button(s.dlg, IdcGroupZti)->isChecked());
    QVERIFY(s.List().updatesEnabled());
    QVERIFY(s.services.Prompts().empty());
}

void TestDlgMatVyber::editingButtonCancelledLeavesTheList()
{
    OpenSelection s({GroupBuildingServices, PurposeWater});
    WhenModalShown([](QWidget* modal) {
        if (auto* editing = qobject_cast<CQyDlgMatEdituj*>(modal))
            QTest::mouseClick(editing->GetDlgItemAs<QAbstractButton>(IDCANCEL), Qt::LeftButton);
    });
    QTest::mouseClick(Button(s.dlg, IdcEditingButton), Qt::LeftButton);
    QCOMPARE(ListedNames(s.List()), QStringList({"čáp"}));
    QVERIFY(s.List().updatesEnabled());

    // Without a catalog the editing dialog cannot run.
    s.dlg.m_pCatalog = nullptr;
    QTest::mouseClick(Button(s.dlg, IdcEditingButton), Qt::LeftButton);
    QCOMPARE(s.LastPrompt(), std::string("Nelze otevřít dialog editace materiálů - neznámá chyba"));
    QCOMPARE(s.services.Prompts().back().icon, MessageIcon::Error);
}

void TestDlgMatVyber::editingButtonShowsTheAcceptedWork()
{
    TempCatalogSettings settings;
    OpenSelection s;
    ClickRow(s.List(), s.RowOf("dub"));
    QCOMPARE(s.Tree().GetCount(), 3);
    // In the editing dialog: delete the first `count` listed materials, then OK.
    auto deleteThenOk = [](int count) {
        return [count](QWidget* modal) {
            auto* editing = qobject_cast<CQyDlgMatEdituj*>(modal);
            if (!editing) return;
            for (int i = 0; i < count; ++i) {
                ClickRow(*editing->m_listMat, 0);
                QTest::mouseClick(Button(*editing, IdcDeleteMaterial), Qt::LeftButton);
            }
            QTest::mouseClick(Button(*editing, IDOK), Qt::LeftButton);
        };
    };
    WhenModalShown(deleteThenOk(1));
    QTest::mouseClick(Button(s.dlg, IdcEditingButton), Qt::LeftButton);
    QCOMPARE(ListedNames(s.List()), QStringList({"dub", "čáp"}));
    QCOMPARE(CatalogFileNames(settings.UserCatalog()), QStringList({"dub", "čáp"}));
    QCOMPARE(EditText(s.dlg, IdcName), QStringLiteral("dub"));
    QCOMPARE(s.Tree().GetCount(), 3);
    QCOMPARE(static_cast<CWexProfil*>(s.Tree().GetItemData(s.Tree().GetRootItem())),
             s.catalog.Find(u"dub")->m_profiles.begin()->second.get());

    // Everything deleted: no row is left naming a record of the replaced catalog.
    WhenModalShown(deleteThenOk(2));
    QTest::mouseClick(Button(s.dlg, IdcEditingButton), Qt::LeftButton);
    QVERIFY(s.catalog.m_materials.empty());
    QCOMPARE(s.List().GetItemCount(), 0);
    QCOMPARE(s.Tree().GetCount(), 0);
    QCOMPARE(s.dlg.m_nCurItem, -1);
    // The only word: whether to save a catalog without materials.
    QCOMPARE(s.services.Prompts().size(), std::size_t(1));
    QVERIFY(s.services.Prompts()[0].Text().starts_with("Katalog neobsahuje žádný materiál."));
}

void TestDlgMatVyber::helpOpensTheHelpPage()
{
    HelpRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    OpenSelection s;
    QTest::mouseClick(Button(s.dlg, IdcHelpButton), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(recorder.opened.size(), 1);
    QCOMPARE(recorder.opened.first(), QUrl(QStringLiteral("https://www.brevanti.cz/velmora/napoveda/")));
    QVERIFY(s.dlg.isVisible());
}

void TestDlgMatVyber::disabledDetailsAreReadable_data()
{
    // Where the control shows its text (right of a box's mark, left of a list's arrow).
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("textArea");
    QTest::newRow("edit Výrobce:") << int(IdcManufacturer) << QRect(2, 2, 60, 12);
    QTest::newRow("drop-down Tl. třída:") << int(IdcComboPn) << QRect(2, 2, 30, 12);
    QTest::newRow("check box Kanalizace") << int(IdcPurposeSewer) << QRect(20, 0, 50, 14);
    QTest::newRow("radio button D x t") << int(IdcDescDxT) << QRect(20, 0, 30, 14);
}

void TestDlgMatVyber::disabledDetailsAreReadable()
{
    QFETCH(int, id);
    QFETCH(QRect, textArea);
    // Shows "Cap": manufacturer "Cap s.r.o.", PN 10, sewer, described as "D x t".
    OpenSelection s;
    QWidget* control = s.dlg.GetDlgItem(id);
    QVERIFY(control && !control->isEnabled());

    // The darkest pixel of the text against the control's background: at least 4.5:1 (WCAG AA).
    const QImage image = control->grab().toImage();
    const QRect area = textArea.intersected(image.rect());
    auto luminance = [](QColor c) {
        auto channel = [](double v) { v /= 255.0; return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
    };
    double darkest = 1.0;
    QMap<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            darkest = std::min(darkest, luminance(QColor(image.pixel(x, y))));
            ++counts[image.pixel(x, y)];
        }
    }
    QRgb background = counts.firstKey();
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it.value() > counts[background]) background = it.key();
    }
    const double contrast = (luminance(QColor(background)) + 0.05) / (darkest + 0.05);
    QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("contrast %1:1").arg(contrast, 0, 'f', 2)));

    // Still unlike an enabled control's text.
    const QPalette::ColorRole role = qobject_cast<QAbstractButton*>(control) ? QPalette::WindowText : QPalette::Text;
    QVERIFY(control->palette().color(QPalette::Disabled, role) != control->palette().color(QPalette::Active, role));
}

void TestDlgMatVyber::textTooLongForTheListIsReportedOnce()
{
    OpenSelection s({}, false, false);
    const std::string longDetail(300, 'x');
    FillCatalog(s.catalog, {{"long", 3, 31, {}, DescOuterXWall, longDetail.c_str(), "M"}});
    s.dlg.m_pCatalog = &s.catalog;
    QTest::mouseClick(Button(s.dlg, IdcFilterAll), Qt::LeftButton);
    QCOMPARE(ListedNames(s.List()), QStringList({"long"}));
    QCOMPARE(s.List().GetItemText(0, 1), QString());
    QCOMPARE(s.List().GetItemText(0, 2), QStringLiteral("M"));
    for (int i = 0; i < 3; ++i) {
        s.List().viewport()->repaint();
        QCoreApplication::processEvents();
    }
    QCOMPARE(s.services.Prompts().size(), std::size_t(1));
    QCOMPARE(s.services.Prompts().front().Title(), std::string("Program vyvolal výjimku"));
}

void TestDlgMatVyber::listModelPassesTheModelTester()
{
    OpenSelection s;
    QAbstractItemModelTester tester(s.List().Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTest::mouseClick(Button(s.dlg, IdcFilterWater), Qt::LeftButton);
    QTest::mouseClick(Button(s.dlg, IdcFilterAll), Qt::LeftButton);
    s.List().SortItems([](CWexMaterial* a, CWexMaterial* b) { return -CompareMaterialNames(a, b, 0); });
    QCOMPARE(ListedNames(s.List()), QStringList({"čáp", "dub", "Cap"}));
    s.List().DeleteItem(1);
    s.List().SetItemData(0, nullptr);
    QCOMPARE(s.List().GetItemText(0, 0), QString());
}

QTEST_MAIN(TestDlgMatVyber)
#include "test_dlgmatvyber.moc"
