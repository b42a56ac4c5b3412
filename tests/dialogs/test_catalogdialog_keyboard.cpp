// Both catalog dialogs without a mouse and through a screen reader: Tab and Shift+Tab follow
// the templates' control order, leave the material list and enter a radio group at its checked
// button; every control has an accessible name and its tooltip as description, and the rows of
// the material list and the cells of the profile table read through Qt's accessibility.
//
// scripts/desktop-check.sh runs this test once more under a real window manager.

#include "CatalogDialogTestSupport.h"
#include "DialogTestSupport.h"
#include "QyDlgMatEdituj.h"
#include "QyDlgMatVyber.h"
#include "ScriptedWindowServices.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QtTest>

using namespace MatDlgId;

namespace {

enum class Dialog { Selection, EditingBrowsing, EditingPending };

// Two materials; "PE" is listed first, is described as "D x t" and has the shape "Tlama", so
// that neither of its radio groups has its first button checked.
void FillTwo(CWexSezMaterialu& catalog)
{
    FillCatalog(catalog, {
        {"PE", GroupAll, PurposeAll, {11, 12, 13}, DescOuterXWall, "Polyetylén", "Pipelife"},
        {"PVC", GroupAll, PurposeSewer, {11}, DescByDn, "Polyvinylchlorid", "Wavin"},
    });
    catalog.Find(u"PE")->m_nShape = 3;
}

struct OpenDialog {
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
    std::unique_ptr<CQyDlgMatVyber> selection;
    std::unique_ptr<CQyDlgMatEdituj> editing;

    explicit OpenDialog(Dialog which)
    {
        FillTwo(catalog);
        if (which == Dialog::Selection) {
            selection = std::make_unique<CQyDlgMatVyber>();
            selection->m_pCatalog = &catalog;
            selection->m_bSelectProfile = true;
            selection->show();
            selection->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(selection.get()));
        } else {
            editing = std::make_unique<CQyDlgMatEdituj>();
            QVERIFY(OpenEditingOn(*editing, catalog));
            if (which == Dialog::EditingPending) QTest::mouseClick(Button(*editing, IdcEditMaterial), Qt::LeftButton);
        }
    }
    CQyDlgMatVyber& Dlg() { return selection ? *selection : *editing; }
};

QString Described(QWidget* w)
{
    if (!w) return QStringLiteral("nothing");
    const QString id = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    return id;
}

} // namespace

class TestCatalogDialogKeyboard : public QObject {
    Q_OBJECT

private slots:
    void tabFollowsTheTemplate_data();
    void tabFollowsTheTemplate();
    void everyControlHasAnAccessibleNameAndDescription_data();
    void everyControlHasAnAccessibleNameAndDescription();
    void listRowsAndProfileCellsReadThroughAccessibility();
};

void TestCatalogDialogKeyboard::tabFollowsTheTemplate_data()
{
    QTest::addColumn<Dialog>("dialog");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("to");

    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    // The material list is one stop, as a report list; the detail controls of the selection
    // dialog and the fields of the editing dialog while browsing are disabled.
    QTest::newRow("selection: Tab leaves the list for the profiles")
        << Dialog::Selection << int(IdcMaterialList) << int(Qt::Key_Tab) << none << int(IdcProfileTree);
    QTest::newRow("selection: Ctrl+Tab leaves the list too")
        << Dialog::Selection << int(IdcMaterialList) << int(Qt::Key_Tab) << ctrl << int(IdcProfileTree);
    QTest::newRow("selection: Shift+Tab leaves the list for the checked purpose filter")
        << Dialog::Selection << int(IdcMaterialList) << int(Qt::Key_Backtab) << shift << int(IdcFilterAll);
    QTest::newRow("selection: Tab from the profiles reaches the editing button")
        << Dialog::Selection << int(IdcProfileTree) << int(Qt::Key_Tab) << none << int(IdcEditingButton);
    QTest::newRow("editing: Tab leaves the list for the profile buttons")
        << Dialog::EditingBrowsing << int(IdcMaterialList) << int(Qt::Key_Tab) << none << int(IdcAddProfile);
    QTest::newRow("editing: Shift+Tab leaves the list for the checked purpose filter")
        << Dialog::EditingBrowsing << int(IdcMaterialList) << int(Qt::Key_Backtab) << shift << int(IdcFilterAll);
    QTest::newRow("editing: Ctrl+Shift+Tab leaves the list too")
        << Dialog::EditingBrowsing << int(IdcMaterialList) << int(Qt::Key_Backtab) << (ctrl | shift) << int(IdcFilterAll);
    QTest::newRow("editing: Tab from the profile table reaches the codes")
        << Dialog::EditingBrowsing << int(IdcProfileTree) << int(Qt::Key_Tab) << none << int(IdcUrsAssembly);
    QTest::newRow("editing: Tab from the filter group enters the list")
        << Dialog::EditingBrowsing << int(IdcFilterAll) << int(Qt::Key_Tab) << none << int(IdcMaterialList);
    QTest::newRow("pending: Tab from Název goes to Popis")
        << Dialog::EditingPending << int(IdcName) << int(Qt::Key_Tab) << none << int(IdcPopis);
    QTest::newRow("pending: Tab from Výrobce goes to Podrobný popis")
        << Dialog::EditingPending << int(IdcManufacturer) << int(Qt::Key_Tab) << none << int(IdcDetail);
    QTest::newRow("pending: Shift+Tab from Název goes to the last purpose")
        << Dialog::EditingPending << int(IdcName) << int(Qt::Key_Backtab) << shift << int(IdcPurposeHeating);
    QTest::newRow("pending: Tab from Drsnost enters the description at its checked radio")
        << Dialog::EditingPending << int(IdcRoughness) << int(Qt::Key_Tab) << none << int(IdcDescDxT);
    QTest::newRow("pending: Tab from a checked radio leaves its group for the checked shape")
        << Dialog::EditingPending << int(IdcDescDxT) << int(Qt::Key_Tab) << none << int(IdcShapeMouth);
    QTest::newRow("pending: Shift+Tab from Zruš.. enters the shapes at the checked one")
        << Dialog::EditingPending << int(IdcCancelMaterial) << int(Qt::Key_Backtab) << shift << int(IdcShapeMouth);
    QTest::newRow("pending: Tab from the checked shape goes to Zruš..")
        << Dialog::EditingPending << int(IdcShapeMouth) << int(Qt::Key_Tab) << none << int(IdcCancelMaterial);
}

void TestCatalogDialogKeyboard::tabFollowsTheTemplate()
{
    QFETCH(Dialog, dialog);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, to);

    OpenDialog d(dialog);
    CQyDlgMatVyber& dlg = d.Dlg();
    QWidget* start = dlg.GetDlgItem(from);
    QVERIFY(start && start->isEnabled());
    start->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), start);
    const int row = dlg.m_listMat->GetSelectedRow();

    QTest::keyClick(start, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Described(QApplication::focusWidget()), Described(dlg.GetDlgItem(to)));
    // The keys move the focus only: the list's selection stays where it was.
    QCOMPARE(dlg.m_listMat->GetSelectedRow(), row);
}

void TestCatalogDialogKeyboard::everyControlHasAnAccessibleNameAndDescription_data()
{
    QTest::addColumn<Dialog>("dialog");
    QTest::newRow("selection dialog") << Dialog::Selection;
    QTest::newRow("editing dialog") << Dialog::EditingPending;
}

void TestCatalogDialogKeyboard::everyControlHasAnAccessibleNameAndDescription()
{
    QFETCH(Dialog, dialog);
    OpenDialog d(dialog);
    CQyDlgMatVyber& dlg = d.Dlg();

    QStringList nameless, undescribed;
    for (QWidget* control : dlg.findChildren<QWidget*>()) {
        bool numbered = false;
        const int id = control->objectName().toInt(&numbered);
        if (!numbered || dlg.GetDlgItem(id) != control || !control->isVisibleTo(&dlg)) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
        QVERIFY(a);
        const bool takesFocus = (control->focusPolicy() & Qt::TabFocus) != 0;
        if (takesFocus && a->text(QAccessible::Name).trimmed().isEmpty()) nameless << control->objectName();
        const auto tip = dlg.ToolTips().find(id);
        if (tip != dlg.ToolTips().end() && a->text(QAccessible::Description) != tip->second.text)
            undescribed << QStringLiteral("%1: \"%2\"").arg(control->objectName(), a->text(QAccessible::Description));
    }
    QCOMPARE(nameless.join(u' '), QString());
    QCOMPARE(undescribed.join(u' '), QString());

    // A labelled field is named by its label, a button by its text (an icon button too).
    auto nameOf = [&](int id) { return QAccessible::queryAccessibleInterface(dlg.GetDlgItem(id))->text(QAccessible::Name); };
    QCOMPARE(nameOf(IdcManufacturer), QStringLiteral("Výrobce:"));
    QCOMPARE(nameOf(IdcComboSdr), QStringLiteral("SDr:"));
    QCOMPARE(nameOf(IdcShapeMouth), QStringLiteral("Tlama"));
    QCOMPARE(nameOf(IdcMaterialList), dialog == Dialog::Selection ? QStringLiteral("Materiály potrubí") : QStringLiteral("Seznam materiálů"));
    if (dialog != Dialog::Selection) {
        QCOMPARE(nameOf(IdcAddMaterial), QStringLiteral("+"));
        QCOMPARE(nameOf(IdcUrsMaterial), QStringLiteral("Kód URS materiál:"));
    }
}

void TestCatalogDialogKeyboard::listRowsAndProfileCellsReadThroughAccessibility()
{
    OpenDialog d(Dialog::Selection);
    CQyDlgMatVyber& dlg = d.Dlg();

    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(dlg.m_listMat);
    QVERIFY(list && list->tableInterface());
    QCOMPARE(list->tableInterface()->rowCount(), 2);
    QAccessibleInterface* cell = list->tableInterface()->cellAt(1, 2);
    QVERIFY(cell);
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("Wavin"));
    QCOMPARE(list->tableInterface()->columnDescription(1), QStringLiteral("Plný název / popis"));
    QVERIFY(list->tableInterface()->cellAt(0, 0)->state().selected);

    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(dlg.m_treeProf);
    QVERIFY(tree && tree->tableInterface());
    QCOMPARE(tree->tableInterface()->rowCount(), 3);
    QAccessibleInterface* profile = tree->tableInterface()->cellAt(2, 1);
    QVERIFY(profile);
    QCOMPARE(profile->text(QAccessible::Name), QStringLiteral("DN 150"));
    QCOMPARE(tree->tableInterface()->columnDescription(0), QStringLiteral("Profil"));
}

QTEST_MAIN(TestCatalogDialogKeyboard)
#include "test_catalogdialog_keyboard.moc"
