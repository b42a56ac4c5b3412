// The editing dialog's closing: OK hands the work back (writing the user catalog file when it
// changed) with a host's reference slots following the accepted records; "Zruš" offers to
// save and leaves the caller's catalog and the host's slots alone.

#include "CatalogDialogTestSupport.h"
#include "CatalogSettingsTestSupport.h"
#include "DialogTestSupport.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"
#include "TestHost.h"

#include <QLineEdit>
#include <QtTest>

#include <memory>

using namespace MatDlgId;

namespace {

constexpr int kDn100 = 11, kDn150 = 13;

// The caller's catalog, a host's pipe using "PVC" and its DN 100 (unless `withPipe` is false),
// and the editing dialog open on the catalog (shown without a modal loop).
struct Closing {
    TempCatalogSettings settings;
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    test_host::Project project;
    CWexSezMaterialu catalog;
    std::unique_ptr<CQyDlgMatEdituj> dlg = std::make_unique<CQyDlgMatEdituj>();

    explicit Closing(bool withPipe = true)
    {
        FillCatalog(catalog, {{"PVC", 3, 31, {kDn100, kDn150}}, {"Ocel", 3, 31, {kDn100}}});
        if (withPipe) {
            CWexMaterial* pvc = catalog.Find(u"PVC");
            project.AddPipe(u"Stoka 1", 12.5f, pvc, pvc->FindProfile(kDn100));
        }
        dlg->m_workCatalog.Assign(catalog);
        dlg->m_pTargetCatalog = &catalog;
        dlg->m_pCatalog = &dlg->m_workCatalog;
        dlg->show();
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    }
    ~Closing() { dlg.reset(); } // before the catalog and the pipes

    test_host::Pipe& Pipe() { return project.At(0); }
    void Click(int id) { QTest::mouseClick(Button(*dlg, id), Qt::LeftButton); }
    bool Written() const { return QFile::exists(settings.UserCatalog()); }
    void Select(const char* name)
    {
        ClickRow(*dlg->m_listMat, static_cast<int>(ListedNames(*dlg->m_listMat).indexOf(QString::fromUtf8(name))));
    }
    // Deletes "Ocel" through the list, as the user does.
    void DeleteOcel()
    {
        Select("Ocel");
        Click(IdcDeleteMaterial);
        QVERIFY(!dlg->m_workCatalog.Find(u"Ocel"));
        QVERIFY(!dlg->m_workCatalog.m_bSaved);
    }
};

} // namespace

class TestDlgMatEditujClosing : public QObject {
    Q_OBJECT

private slots:
    void okWritesTheFileOnlyAfterAChange();
    void okKeepsACodeStillInItsEdit_data();
    void okKeepsACodeStillInItsEdit();
    void okRepointsTheHostsSlotsAtTheAcceptedRecords();
    void okDropsAPendingMaterial();
    void okWithAnEmptyCatalogAsksBeforeWritingItAndEmptiesTheCallers();
    void okWithAFailedSaveStillHandsTheWorkBack();
    void cancelOnAnUnchangedCatalogAsksNothing();
    void cancelAfterAChange_data();
    void cancelAfterAChange();
};

void TestDlgMatEditujClosing::okWritesTheFileOnlyAfterAChange()
{
    {
        Closing c;
        c.Click(IDOK);
        QVERIFY(!c.dlg->isVisible());
        QCOMPARE(c.dlg->result(), int(IDOK));
        QVERIFY(!c.Written());
        QVERIFY(c.services.Prompts().empty());
    }
    Closing c;
    c.DeleteOcel();
    c.Click(IDOK);
    QCOMPARE(c.dlg->result(), int(IDOK));
    QCOMPARE(CatalogFileNames(c.settings.UserCatalog()), QStringList({"PVC"}));
    QCOMPARE(CatalogNames(c.catalog), QStringList({"PVC"}));
    QVERIFY(c.catalog.m_bSaved);
    QVERIFY(c.services.Prompts().empty());
}

void TestDlgMatEditujClosing::okKeepsACodeStillInItsEdit_data()
{
    QTest::addColumn<bool>("typed");
    QTest::newRow("typed") << true;
    QTest::newRow("put into the edit without a keystroke") << false;
}

void TestDlgMatEditujClosing::okKeepsACodeStillInItsEdit()
{
    QFETCH(bool, typed);
    Closing c;
    c.Select("PVC");
    ClickTreeRow(*c.dlg->m_treeProf, 1); // DN 150
    auto* assembly = c.dlg->GetDlgItemAs<QLineEdit>(IdcUrsAssembly);
    QVERIFY(assembly && assembly->isEnabled());
    if (typed) {
        assembly->setFocus();
        QTest::keyClicks(assembly, "801-1");
    } else {
        assembly->setText(QStringLiteral("801-1"));
    }
    c.Click(IDOK);
    QCOMPARE(c.dlg->result(), int(IDOK));

    CWexSezMaterialu saved;
    ReadCatalogFile(FsPath(c.settings.UserCatalog()), saved);
    QVERIFY(saved.Find(u"PVC"));
    QCOMPARE(saved.Find(u"PVC")->FindProfile(kDn150)->UrsAssembly(), u"801-1");
    QCOMPARE(saved.Find(u"PVC")->FindProfile(kDn100)->UrsAssembly(), u"");
    QCOMPARE(c.catalog.Find(u"PVC")->FindProfile(kDn150)->UrsAssembly(), u"801-1");
}

void TestDlgMatEditujClosing::okRepointsTheHostsSlotsAtTheAcceptedRecords()
{
    Closing c;
    const CWexMaterial* before = c.Pipe().Material();
    c.DeleteOcel();
    c.Click(IDOK);
    CWexMaterial* pvc = c.catalog.Find(u"PVC");
    QVERIFY(pvc && pvc != before);
    QCOMPARE(c.Pipe().Material(), pvc);
    QCOMPARE(c.Pipe().Profile(), pvc->FindProfile(kDn100));
    QVERIFY(c.Pipe().Registered());
    // The working copy dies without touching the slots, which name the caller's records now.
    c.dlg.reset();
    QCOMPARE(c.Pipe().Material(), pvc);
    QCOMPARE(c.Pipe().Profile(), pvc->FindProfile(kDn100));
    QCOMPARE(pvc->m_users.size(), std::size_t(1));
    c.Pipe().Release();
    QVERIFY(!pvc->IsUsed());
    QVERIFY(!pvc->FindProfile(kDn100)->IsUsed());
}

void TestDlgMatEditujClosing::okDropsAPendingMaterial()
{
    Closing c;
    c.Click(IdcAddMaterial);
    QTest::keyClicks(c.dlg->GetDlgItemAs<QLineEdit>(IdcName), QStringLiteral("Novy"));
    c.Click(IDOK);
    QCOMPARE(c.dlg->result(), int(IDOK));
    QCOMPARE(CatalogNames(c.catalog), QStringList({"Ocel", "PVC"}));
    QVERIFY(!c.Written());
}

void TestDlgMatEditujClosing::okWithAnEmptyCatalogAsksBeforeWritingItAndEmptiesTheCallers()
{
    Closing c(false);
    WriteTestCatalog(c.settings.UserCatalog(), {{"Staré"}});
    c.DeleteOcel();
    c.Select("PVC");
    c.Click(IdcDeleteMaterial);
    QVERIFY(c.dlg->m_workCatalog.m_materials.empty());
    c.services.ClearPrompts();
    c.services.QueueAnswer(IDNO);
    c.Click(IDOK);
    QCOMPARE(c.dlg->result(), int(IDOK));
    QVERIFY(c.catalog.m_materials.empty());
    QCOMPARE(CatalogFileNames(c.settings.UserCatalog()), QStringList({"Staré"}));
    // Declined, the deletions are not reported as saved: the caller's catalog says so.
    QCOMPARE(c.services.Prompts().size(), std::size_t(1));
    QVERIFY(c.services.Prompts()[0].Text().starts_with("Katalog neobsahuje žádný materiál."));
    QVERIFY(!c.catalog.m_bSaved);
}

void TestDlgMatEditujClosing::okWithAFailedSaveStillHandsTheWorkBack()
{
    Closing c;
    c.DeleteOcel();
    qputenv("VELMORA_USER_REGISTRY", c.settings.root.filePath(QStringLiteral("missing.reg")).toLocal8Bit());
    c.Click(IDOK);
    QCOMPARE(c.dlg->result(), int(IDOK));
    QCOMPARE(c.services.Prompts().size(), std::size_t(1));
    QCOMPARE(c.services.Prompts()[0].Title(), std::string("Program vyvolal výjimku"));
    QCOMPARE(CatalogNames(c.catalog), QStringList({"PVC"}));
    QVERIFY(!c.catalog.m_bSaved); // the file does not hold it
    QCOMPARE(c.Pipe().Material(), c.catalog.Find(u"PVC"));
}

void TestDlgMatEditujClosing::cancelOnAnUnchangedCatalogAsksNothing()
{
    Closing c;
    CWexMaterial* pvc = c.Pipe().Material();
    CWexProfil* profile = c.Pipe().Profile();
    c.Click(IDCANCEL);
    QVERIFY(!c.dlg->isVisible());
    QCOMPARE(c.dlg->result(), int(IDCANCEL));
    QVERIFY(c.services.Prompts().empty());
    QVERIFY(!c.Written());
    c.dlg.reset();
    QCOMPARE(c.Pipe().Material(), pvc); // the caller's own records, untouched by the working copy's end
    QCOMPARE(c.Pipe().Profile(), profile);
    QCOMPARE(c.catalog.Find(u"PVC"), pvc);
}

void TestDlgMatEditujClosing::cancelAfterAChange_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("how"); // 0 "Zruš", 1 Escape, 2 the close box
    QTest::newRow("Zruš, Cancel") << int(IDCANCEL) << 0;
    QTest::newRow("Zruš, Yes") << int(IDYES) << 0;
    QTest::newRow("Zruš, No") << int(IDNO) << 0;
    QTest::newRow("Escape, Cancel") << int(IDCANCEL) << 1;
    QTest::newRow("close box, Yes") << int(IDYES) << 2;
}

void TestDlgMatEditujClosing::cancelAfterAChange()
{
    QFETCH(int, answer);
    QFETCH(int, how);
    Closing c;
    CWexMaterial* pvc = c.Pipe().Material();
    CWexProfil* profile = c.Pipe().Profile();
    c.DeleteOcel();
    c.services.QueueAnswer(answer);
    if (how == 0) c.Click(IDCANCEL);
    else if (how == 1) QTest::keyClick(c.dlg->m_listMat, Qt::Key_Escape);
    else c.dlg->close();

    QCOMPARE(c.services.Prompts().size(), std::size_t(1));
    const RecordedPrompt& p = c.services.Prompts()[0];
    QCOMPARE(p.kind, RecordedPrompt::Kind::Message);
    QCOMPARE(p.Text(), std::string("Uložit provedené změny do souboru?"));
    QCOMPARE(p.Title(), std::string("Materiály potrubí"));
    QCOMPARE(p.icon, MessageIcon::None);
    QCOMPARE(p.buttons, MessageButtons::YesNoCancel);
    if (answer == IDCANCEL) {
        QVERIFY(c.dlg->isVisible());
        QVERIFY(!c.dlg->m_workCatalog.Find(u"Ocel"));
        QVERIFY(!c.dlg->m_workCatalog.m_bSaved);
        QVERIFY(!c.Written());
        return;
    }
    QVERIFY(!c.dlg->isVisible());
    QCOMPARE(c.dlg->result(), int(IDCANCEL));
    if (answer == IDYES) QCOMPARE(CatalogFileNames(c.settings.UserCatalog()), QStringList({"PVC"}));
    else QVERIFY(!c.Written());
    // The caller's catalog is not changed, also after Yes, and the pipe keeps its records.
    QCOMPARE(CatalogNames(c.catalog), QStringList({"Ocel", "PVC"}));
    c.dlg.reset();
    QCOMPARE(c.Pipe().Material(), pvc);
    QCOMPARE(c.Pipe().Profile(), profile);
    QVERIFY(c.Pipe().Registered());
}

QTEST_MAIN(TestDlgMatEditujClosing)
#include "test_dlgmatedituj_closing.moc"
