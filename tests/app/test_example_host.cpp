// The example host's selection path: the user picks a material and a profile in the
// selection dialog and the host prints what it was handed back.

#include "CatalogDialogTestSupport.h"
#include "DialogTestSupport.h"
#include "HostSelection.h"
#include "QyDlgMatVyber.h"
#include "ScriptedWindowServices.h"

#include <QtTest>

#include <sstream>

namespace {

void FillHostCatalog(CWexSezMaterialu& catalog)
{
    FillCatalog(catalog, {
        {"PE100 SDR11", GroupAll, PurposeWater, {10, 11, 13}},
        {"Beton", GroupUtilityNetworks, PurposeSewer, {}, DescByDn},
    });
}

} // namespace

class TestExampleHost : public QObject {
    Q_OBJECT

private slots:
    void printsTheChosenMaterialAndProfile();
    void cancelledChoiceHandsNothingBack();
};

void TestExampleHost::printsTheChosenMaterialAndProfile()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
    FillHostCatalog(catalog);
    WhenModalShown([](QWidget* modal) {
        auto* dlg = qobject_cast<CQyDlgMatVyber*>(modal);
        if (!dlg) return;
        // "Beton" comes first and has no profile: accepting it is refused.
        QTest::mouseClick(Button(*dlg, IDOK), Qt::LeftButton);
        ClickRow(*dlg->m_listMat, 1);
        ClickTreeRow(*dlg->m_treeProf, 1);
        QTest::mouseClick(Button(*dlg, IDOK), Qt::LeftButton);
    });
    std::ostringstream out;
    QCOMPARE(PickMaterialAndProfile(catalog, out), HostPicked);
    QCOMPARE(QString::fromStdString(out.str()),
             QStringLiteral("Materiál: PE100 SDR11\nProfil: %1\nDN: DN 100\n")
                 .arg(QString::fromStdU16String(catalog.Find(u"PE100 SDR11")->FindProfile(11)->Label())));
    QCOMPARE(services.Prompts().size(), std::size_t(1));
    QCOMPARE(services.Prompts()[0].Text(), std::string("Není vybrána žádný profil"));
}

void TestExampleHost::cancelledChoiceHandsNothingBack()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
    FillHostCatalog(catalog);
    WhenModalShown([](QWidget* modal) {
        if (auto* dlg = qobject_cast<CQyDlgMatVyber*>(modal)) QTest::keyClick(dlg->m_listMat, Qt::Key_Escape);
    });
    std::ostringstream out;
    QCOMPARE(PickMaterialAndProfile(catalog, out), HostCancelled);
    QVERIFY(out.str().empty());
}

QTEST_MAIN(TestExampleHost)
#include "test_example_host.moc"
