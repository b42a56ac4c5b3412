// The editing dialog's loads: "Načíst ze souboru..." through the file chooser with the
// clear-or-add question, the reconciliation of names already present and the failures of a
// reading; "Načíst standardní..." with its three answers and its closing without a button;
// materials in use surviving the clearing; "?" opening the help page.

#include "CatalogDialogTestSupport.h"
#include "CatalogSettingsTestSupport.h"
#include "DialogTestSupport.h"
#include "QtWindowServices.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"
#include "TestHost.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest>

using namespace MatDlgId;

namespace {

constexpr int kDn100 = 11, kDn125 = 12, kDn150 = 13, kDn200 = 14;
constexpr int kClearExisting = 101, kAddMaterials = 102;

// The caller's catalog and the editing dialog open on it (shown without a modal loop), with
// settings of the test's own. With `hostUsesPvc` a host's pipe uses "PVC" and its DN 100.
struct LoadingDialog {
    TempCatalogSettings settings;
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    test_host::Project project;
    CWexSezMaterialu catalog;
    CQyDlgMatEdituj dlg;

    // What the file chooser showed.
    QString chooserTitle;
    QString chooserFolder;
    QStringList chooserFilters;
    bool chooserShown = false;

    explicit LoadingDialog(std::initializer_list<TestMaterial> materials = {{"PVC", 3, 31, {kDn100, kDn150}},
                                                                            {"Ocel", 3, 31, {kDn100}}},
                           bool hostUsesPvc = false)
    {
        FillCatalog(catalog, materials);
        if (hostUsesPvc) {
            CWexMaterial* pvc = catalog.Find(u"PVC");
            project.AddPipe(u"Stoka 1", 12.5f, pvc, pvc->FindProfile(kDn100));
        }
        QVERIFY(OpenEditingOn(dlg, catalog));
    }
    CWexSezMaterialu& Work() { return dlg.m_workCatalog; }
    QStringList Listed() { return ListedNames(*dlg.m_listMat); }
    void Click(int id) { QTest::mouseClick(Button(dlg, id), Qt::LeftButton); }
    const std::vector<RecordedPrompt>& Prompts() const { return services.Prompts(); }

    // "Načíst ze souboru...", picking `path` in the chooser; an empty path cancels the chooser.
    void LoadFile(const QString& path)
    {
        WhenModalShown([this, path](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            if (!chooser) return;
            chooserShown = true;
            chooserTitle = chooser->windowTitle();
            chooserFolder = chooser->directory().canonicalPath();
            chooserFilters = chooser->nameFilters();
            if (path.isEmpty()) {
                chooser->reject();
                return;
            }
            // Typed into the file name field, then "Open" (selectFile leaves a focused field alone).
            auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name) return;
            name->setText(path);
            static_cast<QDialog*>(chooser)->accept();
        });
        Click(IdcLoadFromFile);
    }
};

// A catalog file with "Alfa" and "Beta" whose second record is spoilt by `spoil` (given the
// bytes and the offset where "Beta" begins).
template <class Spoil>
QString SpoiltTwoMaterialFile(const TempCatalogSettings& settings, Spoil spoil)
{
    const QString one = settings.DataFile("jedna.ptq");
    const QString two = settings.DataFile("dva.ptq");
    WriteTestCatalog(one, {{"Alfa", 3, 31, {kDn100}}});
    WriteTestCatalog(two, {{"Alfa", 3, 31, {kDn100}}, {"Beta", 3, 31, {kDn100}}});
    QFile file(two);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype betaStarts = QFileInfo(one).size() - 1; // before the one-material file's end mark
    spoil(bytes, betaStarts);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    file.write(bytes);
    return two;
}

// Passes every box on to `inner` and keeps the task dialogs' answers.
class AnswerRecorder : public WindowServices {
public:
    explicit AnswerRecorder(WindowServices& inner) : m_inner(inner) {}
    int ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon, MessageButtons buttons,
                    MessageOwner owner) override
    {
        return m_inner.ShowMessage(text, title, icon, buttons, owner);
    }
    int ShowTaskDialog(const TaskDialogSpec& request) override
    {
        taskAnswers << m_inner.ShowTaskDialog(request);
        return taskAnswers.back();
    }
    QList<int> taskAnswers;

private:
    WindowServices& m_inner;
};

class HelpRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class TestDlgMatEditujLoading : public QObject {
    Q_OBJECT

private slots:
    void chooserOffersCatalogsInTheCommonDataFolder();
    void chooserWithoutSettingsIsReported();
    void clearOrAddQuestion_data();
    void clearOrAddQuestion();
    void sameNameWithOtherContentBringsTheOverwriteQuestion();
    void clearingSparesMaterialsInUse();
    void failedReadingKeepsWhatWasRead_data();
    void failedReadingKeepsWhatWasRead();
    void loadStandard_data();
    void loadStandard();
    void equalStandardCatalogAddsNothingYetOkWritesTheFile();
    void closingTheStandardQuestionLoadsNothing_data();
    void closingTheStandardQuestionLoadsNothing();
    void helpOpensTheHelpPage();
};

void TestDlgMatEditujLoading::chooserOffersCatalogsInTheCommonDataFolder()
{
    LoadingDialog d;
    d.LoadFile(QString());
    QVERIFY(d.chooserShown);
    QCOMPARE(d.chooserTitle, QStringLiteral("Vyhledej soubor pro načtení katalogu potrubí"));
    QCOMPARE(d.chooserFolder, QDir(d.settings.data).canonicalPath());
    QCOMPARE(d.chooserFilters, QStringList({QStringLiteral("Katalogy potrubí (*.ptq)")}));
    // A cancelled chooser asks nothing and changes nothing.
    QVERIFY(d.Prompts().empty());
    QCOMPARE(d.Listed(), QStringList({"Ocel", "PVC"}));
    QVERIFY(d.Work().m_bSaved);
}

void TestDlgMatEditujLoading::chooserWithoutSettingsIsReported()
{
    LoadingDialog d;
    qputenv("VELMORA_USER_REGISTRY", d.settings.root.filePath(QStringLiteral("missing.reg")).toLocal8Bit());
    // The click runs any chooser modally before it returns, so a poll that lives only for the
    // click sees it; no timer outlives this test to catch the next test's dialogs.
    bool chooserShown = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            chooserShown = true;
            chooser->reject();
        }
    });
    poll.start();
    d.Click(IdcLoadFromFile);
    poll.stop();
    QVERIFY(!chooserShown);
    QCOMPARE(d.Prompts().size(), std::size_t(1));
    QCOMPARE(d.Prompts()[0].Title(), std::string("Program vyvolal výjimku"));
    QVERIFY(d.Work().m_bSaved);
}

void TestDlgMatEditujLoading::clearOrAddQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Yes: only the file's materials") << int(IDYES) << QStringList({"Alfa", "Beta"});
    QTest::newRow("No: the file's materials added") << int(IDNO) << QStringList({"Alfa", "Beta", "Ocel", "PVC"});
    QTest::newRow("Cancel: nothing happens") << int(IDCANCEL) << QStringList({"Ocel", "PVC"});
}

void TestDlgMatEditujLoading::clearOrAddQuestion()
{
    QFETCH(int, answer);
    QFETCH(QStringList, expected);
    LoadingDialog d;
    const QString file = d.settings.DataFile("dalsi.ptq");
    WriteTestCatalog(file, {{"Alfa", 3, 31, {kDn100}}, {"Beta", 3, 31, {kDn125, kDn200}}});
    d.services.QueueAnswer(answer);
    d.LoadFile(file);

    QCOMPARE(d.Prompts().size(), std::size_t(1));
    const RecordedPrompt& q = d.Prompts()[0];
    QCOMPARE(q.kind, RecordedPrompt::Kind::TaskDialog);
    QCOMPARE(q.Title(), std::string("Materiály potrubí"));
    QCOMPARE(q.Text(), std::string("Vymazat před načtením všechny materiály? (používané materiály vymazat nelze)"));
    QCOMPARE(q.Content(), std::string("Pozor, tento krok je nevratný. \nNE - načtené materiály budou přidány\n a v "
                                      "případě výskytu identických názvů budete vyzváni k přepsání"));
    QCOMPARE(q.icon, MessageIcon::Warning);
    QCOMPARE(q.task.commonButtons, TaskButtonYes | TaskButtonNo | TaskButtonCancel);
    QVERIFY(q.task.customButtons.empty());

    QCOMPARE(d.Listed(), expected);
    QCOMPARE(CatalogNames(d.Work()), expected);
    QCOMPARE(d.Work().m_bSaved, answer == IDCANCEL);
    // The list shows a material and its profiles, and the caller's catalog waits for OK.
    QCOMPARE(d.dlg.m_nCurItem, 0);
    QCOMPARE(d.dlg.m_treeProf->GetCount(), int(d.Work().Find(expected[0].toStdU16String())->m_profiles.size()));
    QCOMPARE(CatalogNames(d.catalog), QStringList({"Ocel", "PVC"}));
    QVERIFY(!QFile::exists(d.settings.UserCatalog()));
}

void TestDlgMatEditujLoading::sameNameWithOtherContentBringsTheOverwriteQuestion()
{
    LoadingDialog d;
    const QString file = d.settings.DataFile("dalsi.ptq");
    // "Ocel" is equal to the list's; "PVC" has one size more.
    WriteTestCatalog(file, {{"PVC", 3, 31, {kDn100, kDn150, kDn200}}, {"Ocel", 3, 31, {kDn100}}, {"Zinek"}});
    d.services.QueueAnswer(IDNO);
    d.services.QueueAnswer(2); // "Ano": the list's PVC keeps its values
    d.LoadFile(file);

    QCOMPARE(d.Prompts().size(), std::size_t(2));
    const RecordedPrompt& overwrite = d.Prompts()[1];
    QCOMPARE(overwrite.kind, RecordedPrompt::Kind::TaskDialog);
    QVERIFY(overwrite.Content().starts_with("Přepsat materiál PVC v projektu materiálem z obecného seznamu?"));
    QCOMPARE(overwrite.task.customButtons.size(), std::size_t(4));
    QCOMPARE(overwrite.task.customButtons[3].text, std::u16string(u"Ne všem"));

    QCOMPARE(d.Listed(), QStringList({"Ocel", "PVC", "Zinek"}));
    QCOMPARE(d.Work().Find(u"PVC")->m_profiles.size(), std::size_t(3)); // the missing size is added
    QVERIFY(!d.Work().m_bSaved);
}

void TestDlgMatEditujLoading::clearingSparesMaterialsInUse()
{
    LoadingDialog d({{"PVC", 3, 31, {kDn100, kDn150}}, {"Ocel", 3, 31, {kDn100}}}, true);
    test_host::Pipe& pipe = d.project.At(0);
    const QString file = d.settings.DataFile("dalsi.ptq");
    WriteTestCatalog(file, {{"Alfa", 3, 31, {kDn100}}, {"Beta"}});
    d.services.QueueAnswer(IDYES);
    d.LoadFile(file);
    QCOMPARE(d.Listed(), QStringList({"Alfa", "Beta", "PVC"}));
    QCOMPARE(pipe.Material(), d.catalog.Find(u"PVC")); // the caller's record, untouched

    // OK hands the spared material back with the loaded ones; the pipe follows it.
    d.Click(IDOK);
    QCOMPARE(d.dlg.result(), int(IDOK));
    QCOMPARE(CatalogNames(d.catalog), QStringList({"Alfa", "Beta", "PVC"}));
    QCOMPARE(CatalogFileNames(d.settings.UserCatalog()), QStringList({"Alfa", "Beta", "PVC"}));
    QCOMPARE(pipe.Material(), d.catalog.Find(u"PVC"));
    QCOMPARE(pipe.Profile(), d.catalog.Find(u"PVC")->FindProfile(kDn100));
    QVERIFY(pipe.Registered());
}

void TestDlgMatEditujLoading::failedReadingKeepsWhatWasRead_data()
{
    QTest::addColumn<bool>("newerVersion");
    QTest::newRow("a material of a newer version") << true;
    QTest::newRow("a file cut short") << false;
}

void TestDlgMatEditujLoading::failedReadingKeepsWhatWasRead()
{
    QFETCH(bool, newerVersion);
    LoadingDialog d;
    const QString file = SpoiltTwoMaterialFile(d.settings, [newerVersion](QByteArray& bytes, qsizetype beta) {
        if (newerVersion) bytes[beta] = 7;
        else bytes.truncate(beta + 5);
    });
    QVERIFY(!file.isEmpty());
    d.services.QueueAnswer(IDNO);
    d.LoadFile(file);

    QCOMPARE(d.Prompts().size(), std::size_t(2));
    const RecordedPrompt& failure = d.Prompts()[1];
    if (newerVersion) {
        QCOMPARE(failure.Title(), std::string("Program vyvolal výjimku"));
        QVERIFY2(failure.Text().starts_with("Nelze načíst, soubor byl uložen vyšší verzí programu, aktualizujte program, "),
                 failure.Text().c_str());
    } else {
        QCOMPARE(failure.Title(), std::string("Neočekávaná výjimka"));
        QCOMPARE(QString::fromStdString(failure.Text()), QStringLiteral("Nelze otevřít soubor") + QDir::toNativeSeparators(file));
        QCOMPARE(failure.icon, MessageIcon::Error);
    }
    // "Alfa" was read before the failure: it stays, is listed, and OK would write it.
    QCOMPARE(d.Listed(), QStringList({"Alfa", "Ocel", "PVC"}));
    QVERIFY(!d.Work().m_bSaved);
    QVERIFY(d.dlg.isVisible());
}

void TestDlgMatEditujLoading::loadStandard_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Vymazat stávající") << kClearExisting << QStringList({"Alfa", "Ocel", "PVC"});
    QTest::newRow("Přidat materiály") << kAddMaterials << QStringList({"Alfa", "Ocel", "PVC", "Zinek"});
    QTest::newRow("Zrušit načítání") << int(IDCANCEL) << QStringList({"Ocel", "PVC", "Zinek"});
    QTest::newRow("the question cannot be shown") << int(IDNONE) << QStringList({"Ocel", "PVC", "Zinek"});
}

void TestDlgMatEditujLoading::loadStandard()
{
    QFETCH(int, answer);
    QFETCH(QStringList, expected);
    // The host uses "PVC": "Vymazat stávající" deletes only "Ocel" and "Zinek".
    LoadingDialog d({{"PVC", 3, 31, {kDn100}}, {"Ocel", 3, 31, {kDn100}}, {"Zinek"}}, true);
    WriteTestCatalog(d.settings.StandardCatalog(), {{"Alfa", 3, 31, {kDn100}}, {"Ocel", 3, 31, {kDn100}}});
    d.services.QueueAnswer(answer);
    d.Click(IdcLoadStandard);

    QCOMPARE(d.Prompts().size(), std::size_t(1));
    const RecordedPrompt& q = d.Prompts()[0];
    QCOMPARE(q.kind, RecordedPrompt::Kind::TaskDialog);
    QCOMPARE(q.Title(), std::string("Materiály potrubí"));
    QCOMPARE(q.Text(), std::string("Vymazat stávající materiály?"));
    QCOMPARE(q.Content(), std::string("Vymazat před načtením všechny materiály (používané materiály vymazat nelze)?\n"
                                      "Pozor, tento krok je nevratný.\n(V případě výskytu identických názvů budete "
                                      "vyzváni k přepsání)"));
    QCOMPARE(q.icon, MessageIcon::Warning);
    QCOMPARE(q.task.commonButtons, 0);
    QCOMPARE(q.task.customButtons.size(), std::size_t(3));
    QCOMPARE(q.task.customButtons[0].text, std::u16string(u"Vymazat stávající"));
    QCOMPARE(q.task.customButtons[1].text, std::u16string(u"Přidat materiály"));
    QCOMPARE(q.task.customButtons[2].text, std::u16string(u"Zrušit načítání"));
    QCOMPARE(q.task.defaultButton, q.task.customButtons[0].id);

    QCOMPARE(d.Listed(), expected);
    const bool loaded = answer == kClearExisting || answer == kAddMaterials;
    QCOMPARE(d.Work().m_bSaved, !loaded);
    QCOMPARE(d.Work().Find(u"Alfa") != nullptr, loaded);
    QCOMPARE(d.project.At(0).Material(), d.catalog.Find(u"PVC"));
}

void TestDlgMatEditujLoading::equalStandardCatalogAddsNothingYetOkWritesTheFile()
{
    LoadingDialog d({{"Alfa", 3, 31, {kDn100}}, {"Ocel", 3, 31, {kDn100, kDn150}}});
    WriteTestCatalog(d.settings.StandardCatalog(), {{"Alfa", 3, 31, {kDn100}}, {"Ocel", 3, 31, {kDn100, kDn150}}});
    d.services.QueueAnswer(kAddMaterials);
    d.Click(IdcLoadStandard);
    QCOMPARE(d.Prompts().size(), std::size_t(1)); // equal materials: no overwrite question
    QCOMPARE(d.Listed(), QStringList({"Alfa", "Ocel"}));
    QVERIFY(!d.Work().m_bSaved);

    d.Click(IDOK);
    QCOMPARE(d.dlg.result(), int(IDOK));
    QCOMPARE(CatalogFileNames(d.settings.UserCatalog()), QStringList({"Alfa", "Ocel"}));
    QVERIFY(d.catalog.m_bSaved);
}

void TestDlgMatEditujLoading::closingTheStandardQuestionLoadsNothing_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close box") << false;
}

void TestDlgMatEditujLoading::closingTheStandardQuestionLoadsNothing()
{
    QFETCH(bool, escape);
    LoadingDialog d;
    WriteTestCatalog(d.settings.StandardCatalog(), {{"Alfa"}});
    // The real task dialog, closed without any of its buttons.
    WindowServices* scripted = InstallQtWindowServices();
    AnswerRecorder recorder(GetWindowServices());
    SetWindowServices(&recorder);
    QString shownTitle;
    WhenModalShown([&](QWidget* modal) {
        shownTitle = modal->windowTitle();
        if (escape) QTest::keyClick(modal, Qt::Key_Escape);
        else modal->close();
    });
    d.Click(IdcLoadStandard);
    SetWindowServices(scripted);

    QCOMPARE(shownTitle, QStringLiteral("Materiály potrubí"));
    QCOMPARE(recorder.taskAnswers, QList<int>({IDCANCEL})); // closed at once, as "Zrušit načítání"
    QCOMPARE(d.Listed(), QStringList({"Ocel", "PVC"}));
    QVERIFY(!d.Work().Find(u"Alfa"));
    QVERIFY(d.Work().m_bSaved);
}

void TestDlgMatEditujLoading::helpOpensTheHelpPage()
{
    HelpRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    LoadingDialog d;
    d.Click(IdcHelpButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(recorder.opened, QList<QUrl>({QUrl(QStringLiteral("https://www.brevanti.cz/velmora/napoveda/"))}));
    QVERIFY(d.dlg.isVisible());
    QVERIFY(d.Prompts().empty());
}

QTEST_MAIN(TestDlgMatEditujLoading)
#include "test_dlgmatedituj_loading.moc"
