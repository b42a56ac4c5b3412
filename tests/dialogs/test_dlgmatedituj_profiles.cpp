// The editing dialog's profile table, driven as the user drives it: cells edited by typing
// into the tree-list's cell editor, the profile buttons, the price-list code edits.

#include "CatalogDialogTestSupport.h"
#include "CatalogFile.h"
#include "CheckedEdit.h"
#include "DialogLayoutCheck.h"
#include "DialogTestSupport.h"
#include "QyDlgGetDN.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QtTest>

using namespace MatDlgId;

namespace {

constexpr int kDn8 = 0, kDn10 = 1, kDn80 = 10, kDn100 = 11, kDn125 = 12, kDn150 = 13, kDn200 = 14, kDn225 = 15,
              kDn300 = 17, kDn1200 = 27;

struct ProfileDialog {
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
    CQyDlgMatEdituj dlg;

    explicit ProfileDialog(std::initializer_list<TestMaterial> materials)
    {
        FillCatalog(catalog, materials);
        QVERIFY(OpenEditingOn(dlg, catalog));
    }
    CTreeListCtrl& Tree() { return *dlg.m_treeProf; }
    CWexMaterial* Material(const char* name) { return dlg.m_workCatalog.Find(U16(name)); }
    void Click(int id) { QTest::mouseClick(Button(dlg, id), Qt::LeftButton); }
    TreeListItem* RowOf(int dn)
    {
        for (TreeListItem* item = Tree().GetRootItem(); item; item = Tree().GetNextItem(item, TLGN_NEXT))
            if (static_cast<CWexProfil*>(Tree().GetItemData(item))->m_nDN == dn) return item;
        return nullptr;
    }
    // Opens the editor on a cell and types `text` over its content, then Enter. True when the
    // editor closed (the edit was taken); a refused edit is abandoned with Escape.
    bool TypeIntoCell(int dn, int column, const QString& text, QString* balloon = nullptr)
    {
        Tree().setFocus();
        Tree().SelectItem(RowOf(dn), column);
        QTest::keyClick(&Tree(), Qt::Key_Return);
        auto* editor = qobject_cast<CCheckedEdit*>(Tree().Editor());
        if (!editor) return false;
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        if (!Tree().IsEditing()) return true;
        if (balloon && editor->Balloon()) *balloon = editor->Balloon()->Text();
        QTest::keyClick(editor, Qt::Key_Escape);
        Tree().EndEdit(false);
        return false;
    }
    QList<int> Dns(const char* name)
    {
        QList<int> dns;
        for (const auto& [dn, p] : Material(name)->m_profiles) dns << dn;
        return dns;
    }
    QStringList Prompts()
    {
        QStringList texts;
        for (const auto& prompt : services.Prompts()) texts << QString::fromStdString(prompt.Text());
        return texts;
    }
};

void SetSize(CWexProfil* p, float inner, float wall)
{
    p->m_fInnerDiameter = inner;
    p->m_fWall = wall;
}

} // namespace

class TestDlgMatEditujProfiles : public QObject {
    Q_OBJECT

private slots:
    void addTakesTheNextFreeDn();
    void addStartsAgainFromTheBeginningOrGivesUp();
    void innerDiameterKeepsToTheNeighbouringDns();
    void wallAndOuterDiameterEdits();
    void smallestAndLargestDnHaveNoDnRule();
    void tooLargeNumbersAndHoleLessOuterDiametersAreRefused();
    void refusedOuterDiameterIsNotLostByClickingAnotherRow();
    void columnsFollowTheShape();
    void choosingADnMovesTheRow();
    void codesLandInTheProfileTheyWereTypedFor();
    void usedProfileIsNotDeleted();
    void generateReplacesTheProfilesWithoutAQuestion();
    void pictureWithACellEditorOpen();
};

void TestDlgMatEditujProfiles::addTakesTheNextFreeDn()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn100, kDn125, kDn200}}});
    d.Tree().SelectItem(d.RowOf(kDn100));
    d.Click(IdcAddProfile);
    QVERIFY(d.Dns("PVC").contains(kDn150));
    d.Tree().SelectItem(d.RowOf(kDn200));
    d.Click(IdcAddProfile);
    QVERIFY(d.Dns("PVC").contains(kDn225));
    d.Tree().SelectItem(nullptr);
    d.Click(IdcAddProfile);
    QCOMPARE(d.Dns("PVC"), (QList<int>{kDn8, kDn100, kDn125, kDn150, kDn200, kDn225}));
    QCOMPARE(TreeTexts(d.Tree(), 4), (QStringList{"DN 8", "DN 100", "DN 125", "DN 150", "DN 200", "DN 225"}));
    QVERIFY(d.Prompts().isEmpty());
}

void TestDlgMatEditujProfiles::addStartsAgainFromTheBeginningOrGivesUp()
{
    ProfileDialog d({{"Beton", 3, 31, {17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27}}});
    d.Tree().SelectItem(d.RowOf(kDn300));
    d.services.QueueAnswer(IDYES);
    d.Click(IdcAddProfile);
    QCOMPARE(d.Prompts(), QStringList{QString::fromUtf8("Nelze přidat již další DN, přidat od začátku?")});
    QVERIFY(d.Dns("Beton").contains(kDn8));

    ProfileDialog full({{"Vse", 3, 31, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27}}});
    full.Tree().SelectItem(full.RowOf(kDn100));
    full.services.QueueAnswer(IDYES);
    full.Click(IdcAddProfile);
    full.Tree().SelectItem(nullptr);
    full.Click(IdcAddProfile);
    QCOMPARE(full.Prompts(), (QStringList{QString::fromUtf8("Nelze přidat již další DN, přidat od začátku?"),
                                          QString::fromUtf8("Nelze přidat již další DN !!"),
                                          QString::fromUtf8("Nelze přidat již další DN !!")}));
    QCOMPARE(full.Tree().GetCount(), 28);
}

void TestDlgMatEditujProfiles::innerDiameterKeepsToTheNeighbouringDns()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn100}}});
    CWexProfil* p = d.Material("PVC")->FindProfile(kDn100);
    SetSize(p, 100, 5);
    for (const char* refused : {"72", "137.5"}) {
        QString balloon;
        QVERIFY2(!d.TypeIntoCell(kDn100, 3, QString::fromUtf8(refused), &balloon), refused);
        QCOMPARE(balloon, QString::fromUtf8("Zadaný průměr neodpovídá zadanému DN, nejprve změňte DN"));
        QCOMPARE(p->m_fInnerDiameter, 100.0f);
    }
    for (float accepted : {72.1f, 137.4f}) {
        SetSize(p, 100, 20);
        QVERIFY(d.TypeIntoCell(kDn100, 3, QString::number(accepted)));
        QCOMPARE(p->m_fInnerDiameter, accepted);
        QVERIFY(qAbs(p->OuterDiameter() - 140.0f) < 1e-3f);
    }
    // Within the DN's range but beyond the outer diameter (110): the wall would be negative.
    SetSize(p, 100, 5);
    QString balloon;
    QVERIFY(!d.TypeIntoCell(kDn100, 3, QStringLiteral("137.4"), &balloon));
    QCOMPARE(balloon, QString::fromUtf8("Zadaný průměr je větší než vnější průměr, stěna by byla záporná"));
    QCOMPARE(p->m_fInnerDiameter, 100.0f);
    QCOMPARE(p->m_fWall, 5.0f);
}

void TestDlgMatEditujProfiles::wallAndOuterDiameterEdits()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn100}}});
    CWexProfil* p = d.Material("PVC")->FindProfile(kDn100);
    SetSize(p, 100, 5);
    QString balloon;
    QVERIFY(!d.TypeIntoCell(kDn100, 2, "55", &balloon));
    QCOMPARE(balloon, QString::fromUtf8("OD - 2x stěna je menší než 0, trubka nemá díru"));
    QCOMPARE(p->m_fWall, 5.0f);
    QVERIFY(d.TypeIntoCell(kDn100, 2, "20"));
    QCOMPARE(p->m_fInnerDiameter, 80.0f);
    QCOMPARE(p->OuterDiameter(), 120.0f);
    QCOMPARE(d.Tree().GetItemText(d.RowOf(kDn100), 1), QStringLiteral("120"));

    SetSize(p, 100, 5);
    QVERIFY(d.TypeIntoCell(kDn100, 1, "115"));
    QCOMPARE(p->m_fWall, 5.0f);
    QCOMPARE(p->m_fInnerDiameter, 105.0f);
    QVERIFY(!d.dlg.m_workCatalog.m_bSaved);
}

void TestDlgMatEditujProfiles::smallestAndLargestDnHaveNoDnRule()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn8, kDn10, kDn1200}}});
    for (int dn : {kDn8, kDn10, kDn1200}) {
        CWexProfil* p = d.Material("PVC")->FindProfile(dn);
        SetSize(p, 10, 3000);
        QVERIFY(d.TypeIntoCell(dn, 3, "5000"));
        QCOMPARE(p->m_fInnerDiameter, 5000.0f);
        QCOMPARE(p->m_fWall, 505.0f);
    }
}

void TestDlgMatEditujProfiles::tooLargeNumbersAndHoleLessOuterDiametersAreRefused()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn8}}});
    CWexProfil* p = d.Material("PVC")->FindProfile(kDn8);
    SetSize(p, 10, 2);
    d.dlg.m_workCatalog.m_bSaved = true;
    QString balloon;
    QVERIFY(!d.TypeIntoCell(kDn8, 2, QString(400, QLatin1Char('9')), &balloon));
    QVERIFY(!balloon.isEmpty());
    QVERIFY(!d.TypeIntoCell(kDn8, 1, "4", &balloon)); // wall 2 on each side leaves no hole
    QVERIFY(!balloon.isEmpty());
    QCOMPARE(p->m_fInnerDiameter, 10.0f);
    QCOMPARE(p->m_fWall, 2.0f);
    QVERIFY(d.dlg.m_workCatalog.m_bSaved);
}

void TestDlgMatEditujProfiles::refusedOuterDiameterIsNotLostByClickingAnotherRow()
{
    // "1" typed as the outer diameter of DN 300, then a click on DN 400: the editor stays open
    // on DN 300 with the reason, and the profile keeps its size.
    ProfileDialog d({{"PE", 3, 31, {kDn300, kDn300 + 2}}});
    CWexProfil* p = d.Material("PE")->FindProfile(kDn300);
    const float inner = p->m_fInnerDiameter;
    d.Tree().setFocus();
    d.Tree().SelectItem(d.RowOf(kDn300), 1);
    QTest::keyClick(&d.Tree(), Qt::Key_Return);
    auto* editor = qobject_cast<CCheckedEdit*>(d.Tree().Editor());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "1");
    const QRect other = d.Tree().visualRect(d.Tree().model()->index(1, 0));
    QTest::mouseClick(d.Tree().viewport(), Qt::LeftButton, {}, other.center());
    QVERIFY(d.Tree().IsEditing());
    QCOMPARE(d.Tree().Editor(), editor);
    QCOMPARE(editor->text(), QStringLiteral("1"));
    QVERIFY(editor->IsBalloonVisible());
    QVERIFY(!editor->Balloon()->Text().isEmpty());
    QCOMPARE(d.Tree().GetSelectedItem(), d.RowOf(kDn300));
    QCOMPARE(p->m_fInnerDiameter, inner);
    QVERIFY(d.dlg.m_workCatalog.m_bSaved);
}

void TestDlgMatEditujProfiles::columnsFollowTheShape()
{
    ProfileDialog d({{"A kruh", 3, 31, {kDn100}}, {"B obdelnik", 3, 31, {kDn100}}});
    d.Material("B obdelnik")->m_nShape = 4;
    QStringList headers;
    for (int c = 0; c < 5; ++c) headers << d.Tree().GetColumnText(c);
    QCOMPARE(headers, (QStringList{"Profil", "OD", QString::fromUtf8("Stěna"), "ID", "DN"}));
    const int width = d.Tree().GetColumnRememberedWidth(5);
    QCOMPARE(d.Tree().GetColumnWidth(5), 0);

    ClickRow(*d.dlg.m_listMat, 1);
    QCOMPARE(d.Tree().GetColumnText(3), QString::fromUtf8("Výška"));
    QCOMPARE(d.Tree().GetColumnText(5), QStringLiteral("Sirka"));
    QVERIFY(d.Tree().GetColumnWidth(5) > 0);
    QCOMPARE(d.Tree().GetColumnWidth(5), width);
    ClickRow(*d.dlg.m_listMat, 0);
    QCOMPARE(d.Tree().GetColumnText(3), QStringLiteral("ID"));
    QCOMPARE(d.Tree().GetColumnWidth(5), 0);
}

void TestDlgMatEditujProfiles::choosingADnMovesTheRow()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn80, kDn100, kDn200}}});
    CWexProfil* p = d.Material("PVC")->FindProfile(kDn100);
    SetSize(p, 100, 5);
    d.Tree().setFocus();
    d.Tree().SelectItem(d.RowOf(kDn100), 4);
    QTest::keyClick(&d.Tree(), Qt::Key_Return);
    auto* combo = qobject_cast<QComboBox*>(d.Tree().Editor());
    QVERIFY(combo);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), QStringLiteral("DN 150"));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(p->m_nDN, kDn150);
    QCOMPARE(p->m_fInnerDiameter, 150.0f);
    QCOMPARE(p->m_fWall, 5.0f);
    QCOMPARE(TreeTexts(d.Tree(), 4), (QStringList{"DN 80", "DN 150", "DN 200"}));
}

void TestDlgMatEditujProfiles::codesLandInTheProfileTheyWereTypedFor()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn100, kDn125}}});
    CWexProfil* second = d.Material("PVC")->FindProfile(kDn125);
    second->SetUrsAssembly(u"222");
    second->SetUrsMaterial(u"333");
    // A code read from a file may hold 10 characters.
    std::copy_n(u"ABCDEFGHIJ", 11, second->m_szUrsMaterial);
    d.Tree().SelectItem(d.RowOf(kDn100));
    auto* assembly = d.dlg.GetDlgItemAs<QLineEdit>(IdcUrsAssembly);
    auto* material = d.dlg.GetDlgItemAs<QLineEdit>(IdcUrsMaterial);
    assembly->setFocus();
    QTest::keyClicks(assembly, "801-1");
    material->setFocus();
    QTest::keyClicks(material, "286-2");
    d.Tree().SelectItem(d.RowOf(kDn125));
    CWexProfil* first = d.Material("PVC")->FindProfile(kDn100);
    QCOMPARE(first->UrsAssembly(), u"801-1");
    QCOMPARE(first->UrsMaterial(), u"286-2");
    QCOMPARE(assembly->text(), QStringLiteral("222"));
    QCOMPARE(material->text(), QStringLiteral("ABCDEFGHIJ"));
    d.Tree().SelectItem(d.RowOf(kDn100)); // moving on from the long code does not raise
    QCOMPARE(second->UrsMaterial(), u"ABCDEFGHIJ");

    // A typed code still in the edit when the catalog is taken is kept; an overlong one is refused.
    assembly->setFocus();
    assembly->selectAll();
    QTest::keyClicks(assembly, "12345678901");
    QCOMPARE(first->UrsAssembly(), u"123456789");
    auto* balloon = assembly->findChild<CErrorBalloon*>();
    QVERIFY(balloon && balloon->isVisible());
    d.dlg.CommitProfileCodes();
    QCOMPARE(first->UrsAssembly(), u"123456789");
}

void TestDlgMatEditujProfiles::usedProfileIsNotDeleted()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn100, kDn125}}});
    CWexProfil* user = nullptr;
    CWexProfil* p = d.Material("PVC")->FindProfile(kDn100);
    p->AddUser(&user);
    d.Tree().SelectItem(d.RowOf(kDn100));
    d.Click(IdcDeleteProfile);
    QCOMPARE(d.Prompts(), QStringList{QString::fromUtf8("Profil je používán, nelze jej vymazat")});
    QCOMPARE(d.Dns("PVC"), (QList<int>{kDn100, kDn125}));
    p->RemoveUser(&user);

    d.Tree().SelectItem(d.RowOf(kDn100));
    d.Click(IdcDeleteProfile);
    QCOMPARE(d.Dns("PVC"), QList<int>{kDn125});
    QCOMPARE(d.Tree().GetCount(), 1);
    QVERIFY(d.Tree().GetSelectedItem() == d.RowOf(kDn125));
}

void TestDlgMatEditujProfiles::generateReplacesTheProfilesWithoutAQuestion()
{
    ProfileDialog d({{"PVC", 3, 31, {kDn100}}});
    QTimer::singleShot(0, [] {
        if (auto* dn = qobject_cast<CQyDlgGetDN*>(QApplication::activeModalWidget())) dn->EndDialog(IDOK);
    });
    d.Click(IdcGenerateProfiles);
    QVERIFY(d.Prompts().isEmpty());
    QCOMPARE(d.Tree().GetCount(), 28);
    QCOMPARE(d.Dns("PVC").size(), 28);
    QVERIFY(!d.Tree().GetSelectedItem());

    d.services.QueueAnswer(IDYES);
    d.Click(IdcDeleteAllProfiles);
    QCOMPARE(d.Prompts(), QStringList{QString::fromUtf8("Opravdu vymazat všechny profily?\ntento krok je nevratný")});
    QCOMPARE(d.Tree().GetCount(), 0);
    QVERIFY(d.Dns("PVC").isEmpty());
}

void TestDlgMatEditujProfiles::pictureWithACellEditorOpen()
{
    // On the standard catalog where it is built, else on a small catalog of its own.
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
#ifdef VELMORA_STANDARD_CATALOG
    ReadCatalogFile(std::filesystem::path(VELMORA_STANDARD_CATALOG), catalog);
#else
    FillCatalog(catalog, {{"PE 100 SDR 11", 3, 31, {8, 9, 10, 11, 12, 13, 14}, DescOuterXWall, "Polyetylen", "Pipelife"},
                          {"PVC KG", 3, 31, {11, 12, 13, 14}, DescByDn, "Polyvinylchlorid", "Wavin"}});
#endif
    CQyDlgMatEdituj dlg;
    QVERIFY(OpenEditingOn(dlg, catalog));
    CTreeListCtrl& tree = *dlg.m_treeProf;
    QVERIFY(tree.GetCount() > 1);
    tree.setFocus();
    tree.SelectItem(tree.GetNextItem(tree.GetRootItem(), TLGN_NEXT), 2);
    QTest::keyClick(&tree, Qt::Key_Return);
    auto* editor = qobject_cast<CCheckedEdit*>(tree.Editor());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "4.5");
    QVERIFY(SaveDialogPicture(dlg, QStringLiteral("editing_dialog_cell_editor.png")));
    QTest::keyClick(editor, Qt::Key_Escape);
}

QTEST_MAIN(TestDlgMatEditujProfiles)
#include "test_dlgmatedituj_profiles.moc"
