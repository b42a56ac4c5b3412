// The program as a user starts it, with a settings file of its own: no catalog at all, the
// first start (the standard catalog becomes the user catalog), a later start.

#include "Application.h"
#include "CatalogDialogTestSupport.h"
#include "CatalogSettingsTestSupport.h"
#include "CatalogFile.h"
#include "DialogTestSupport.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"

#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <filesystem>

using namespace MatDlgId;

namespace {

// A per-user settings file naming an install folder and a data folder inside a fresh
// temporary folder; the machine-wide file names nothing.
using Settings = TempCatalogSettings;

// What the user saw in the editing dialog before closing it with `close`.
struct Seen {
    bool ran = false;
    int listed = -1;
    bool everythingChecked = false;
};

int RunProgram(ScriptedWindowServices& services, Seen& seen, std::function<void(CQyDlgMatEdituj&)> close)
{
    ApplicationHooks hooks;
    hooks.windowServices = &services;
    hooks.beforeEditing = [&seen, close](CQyDlgMatEdituj&) {
        WhenModalShown([&seen, close](QWidget* modal) {
            auto* dlg = qobject_cast<CQyDlgMatEdituj*>(modal);
            if (!dlg) return;
            seen.ran = true;
            seen.listed = dlg->m_listMat->GetItemCount();
            seen.everythingChecked = Button(*dlg, IdcFilterAll)->isChecked() && Button(*dlg, IdcGroupAll)->isChecked();
            close(*dlg);
        });
    };
    char name[] = "velmora";
    char* argv[] = {name, nullptr};
    return RunApplication(1, argv, hooks);
}

int CatalogSize(const QString& path)
{
    CWexSezMaterialu catalog;
    ReadCatalogFile(std::filesystem::path(path.toStdString()), catalog);
    return static_cast<int>(catalog.m_materials.size());
}

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void withoutAnyCatalogTellsTwiceAndShowsAnEmptyList();
    void firstStartMakesTheStandardCatalogTheUsersOwn();
    void laterStartReadsTheUserCatalogSilently();
    void materialAddedWithTwoProfilesIsThereAtTheNextStart();
    void qtsOwnDialogsSpeakCzech();
};

void TestApplication::withoutAnyCatalogTellsTwiceAndShowsAnEmptyList()
{
    Settings settings;
    ScriptedWindowServices services;
    Seen seen;
    const int code = RunProgram(services, seen, [](CQyDlgMatEdituj& dlg) { QTest::keyClick(dlg.m_listMat, Qt::Key_Escape); });
    QCOMPARE(code, 0);
    QVERIFY(seen.ran);
    QCOMPARE(seen.listed, 0);

    const auto& prompts = services.Prompts();
    QCOMPARE(prompts.size(), std::size_t(2));
    QCOMPARE(QString::fromStdString(prompts[0].Text()), QStringLiteral("Nelze otevřít soubor:\n") + settings.UserCatalog());
    QCOMPARE(prompts[0].Content(), std::string("Bude načten standardní soubor"));
    QCOMPARE(QString::fromStdString(prompts[1].Text()), QStringLiteral("Nelze otevřít soubor:\n") + settings.StandardCatalog());
    QCOMPARE(prompts[1].Content(), std::string("\nDoporučujeme přeinstalovat programMateriály potrubí"));
    for (const RecordedPrompt& p : prompts) QCOMPARE(p.icon, MessageIcon::Error);
    QVERIFY(!QFile::exists(settings.UserCatalog()));
}

void TestApplication::firstStartMakesTheStandardCatalogTheUsersOwn()
{
#ifndef VELMORA_STANDARD_CATALOG
    QSKIP("The standard catalog is not built in this configuration");
#else
    Settings settings;
    QVERIFY(QFile::copy(QStringLiteral(VELMORA_STANDARD_CATALOG), settings.StandardCatalog()));
    const int standardSize = CatalogSize(settings.StandardCatalog());
    QVERIFY(standardSize > 10);

    ScriptedWindowServices services;
    Seen seen;
    const int code = RunProgram(services, seen, [](CQyDlgMatEdituj& dlg) { dlg.close(); });
    QCOMPARE(code, 0);
    QVERIFY(seen.ran);
    QCOMPARE(seen.listed, standardSize);
    QVERIFY(seen.everythingChecked);
    QCOMPARE(services.Prompts().size(), std::size_t(1));
    QCOMPARE(services.Prompts()[0].Content(), std::string("Bude načten standardní soubor"));

    QVERIFY(QFile::exists(settings.UserCatalog()));
    QCOMPARE(CatalogSize(settings.UserCatalog()), standardSize);
#endif
}

void TestApplication::laterStartReadsTheUserCatalogSilently()
{
    Settings settings;
    CWexSezMaterialu own;
    FillCatalog(own, {{"A"}, {"B"}, {"C"}});
    QDir().mkpath(settings.data + QStringLiteral("/Velmora"));
    WriteCatalogFile(std::filesystem::path(settings.UserCatalog().toStdString()), own);

    ScriptedWindowServices services;
    Seen seen;
    const int code = RunProgram(services, seen, [](CQyDlgMatEdituj& dlg) {
        QTest::mouseClick(Button(dlg, IDOK), Qt::LeftButton);
    });
    QCOMPARE(code, 0);
    QCOMPARE(seen.listed, 3);
    QVERIFY(services.Prompts().empty());
}

void TestApplication::materialAddedWithTwoProfilesIsThereAtTheNextStart()
{
    Settings settings;
    CWexSezMaterialu own;
    FillCatalog(own, {{"A", 3, 31, {11}}});
    QDir().mkpath(settings.data + QStringLiteral("/Velmora"));
    WriteCatalogFile(std::filesystem::path(settings.UserCatalog().toStdString()), own);

    // The user adds a material, gives it two sizes with the profile table's "+" and accepts.
    ScriptedWindowServices services;
    Seen seen;
    int code = RunProgram(services, seen, [](CQyDlgMatEdituj& dlg) {
        QTest::mouseClick(Button(dlg, IdcAddMaterial), Qt::LeftButton);
        QTest::keyClicks(dlg.GetDlgItemAs<QLineEdit>(IdcName), QStringLiteral("Nova trubka"));
        QTest::mouseClick(Button(dlg, IdcSaveMaterial), Qt::LeftButton);
        QTest::mouseClick(Button(dlg, IdcAddProfile), Qt::LeftButton);
        QTest::mouseClick(Button(dlg, IdcAddProfile), Qt::LeftButton);
        QTest::mouseClick(Button(dlg, IDOK), Qt::LeftButton);
    });
    QCOMPARE(code, 0);
    QCOMPARE(seen.listed, 1);
    QVERIFY(services.Prompts().empty());

    // The next start lists it with its two sizes.
    ScriptedWindowServices again;
    Seen seenAgain;
    QStringList listed;
    int sizes = -1;
    code = RunProgram(again, seenAgain, [&](CQyDlgMatEdituj& dlg) {
        listed = ListedNames(*dlg.m_listMat);
        ClickRow(*dlg.m_listMat, static_cast<int>(listed.indexOf(QStringLiteral("Nova trubka"))));
        sizes = dlg.m_treeProf->GetCount();
        QTest::mouseClick(Button(dlg, IDCANCEL), Qt::LeftButton);
    });
    QCOMPARE(code, 0);
    QCOMPARE(listed, QStringList({"A", "Nova trubka"}));
    QCOMPARE(sizes, 2);
    QVERIFY(again.Prompts().empty());
}

// The file chooser and Qt's other dialogs take their texts from Qt's translations.
void TestApplication::qtsOwnDialogsSpeakCzech()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_cs.qm"))) {
        QSKIP("Qt's Czech translation is not installed");
    }
    Settings settings;
    ScriptedWindowServices services;
    QString lookIn;
    ApplicationHooks hooks;
    hooks.windowServices = &services;
    hooks.beforeEditing = [&lookIn](CQyDlgMatEdituj&) {
        lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
        WhenModalShown([](QWidget* modal) { modal->close(); });
    };
    char name[] = "velmora";
    char* argv[] = {name, nullptr};
    QCOMPARE(RunApplication(1, argv, hooks), 0);
    QVERIFY2(!lookIn.isEmpty() && lookIn != QStringLiteral("Look in:"), qPrintable(lookIn));
    // The translation goes with the program's run.
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
}

QTEST_MAIN(TestApplication)
#include "test_application.moc"
