// In-place cell editing of the tree-list as the editing dialog uses it: how edits start, the
// checks of the cell's edit box, the owner's cell check, end of edit and the new text.

#include "DialogTestSupport.h"
#include "QyAcDialog.h"
#include "TreeListModel.h"
#include "TreeListTestSupport.h"
#include "WindowServices.h"

#include <QClipboard>
#include <QComboBox>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>

class TestTreeListEditing : public QObject {
    Q_OBJECT

private slots:
    void decimalCellTurnsACommaIntoAPoint();
    void secondPointIsRefusedWithTheBalloon();
    void loneMinusKeepsTheIntegerEditorOpen();
    void letterInAnIntegerCellIsRefused();
    void ownerCheckCanKeepTheEditorOpen();
    void endOfEditCanDropTheText();
    void escapeDropsTheEdit();
    void enterReportsReturnBeforeTheEditStarts();
    void enterOnACellThatDoesNotEditReachesTheDialog();
    void listEditorStoresTheChosenEntry();
    void pastingStartsAnEdit();
    void clickStartsAnEditOnlyWhereTheOptionsSaySo();
    void keptTextIsStoredInACellWithoutCallback();
    void focusLossKeepsAValidTextAndShowsARefusedOne();
    void refusedEditStaysOpenWhenTheUserMovesToAnotherRow_data();
    void refusedEditStaysOpenWhenTheUserMovesToAnotherRow();
    void dropDownShowsItsWholeEntries();
    void eachEditTakesItsOwnColumnsSettings();
    void maximumLengthNamesItselfInTheBalloon();
};

void TestTreeListEditing::decimalCellTurnsACommaIntoAPoint()
{
    EditingTree t;
    QVERIFY(t.tree->SelectItem(t.items[0], 2));
    EditingTree::Type(QStringLiteral("1,5"));
    QVERIFY(t.Edit());
    QCOMPARE(t.Edit()->text(), QStringLiteral("1.5"));
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.checks.size(), std::size_t(1));
    QCOMPARE(t.owner.checks[0].column, 2);
    QCOMPARE(t.owner.checks[0].text, QStringLiteral("1.5"));
    QCOMPARE(t.owner.checks[0].data, static_cast<void*>(&t.rows[0]));
    QCOMPARE(t.owner.setTexts.size(), std::size_t(1));
    QCOMPARE(t.owner.setTexts[0].text, QStringLiteral("1.5"));
    QCOMPARE(t.tree->GetItemText(t.items[0], 2), QStringLiteral("1.5"));
    QCOMPARE(QApplication::focusWidget(), t.tree);
}

void TestTreeListEditing::secondPointIsRefusedWithTheBalloon()
{
    EditingTree t;
    t.tree->SelectItem(t.items[1], 3);
    EditingTree::Type(QStringLiteral("1.5."));
    QVERIFY(t.Edit());
    QCOMPARE(t.Edit()->text(), QStringLiteral("1.5"));
    QVERIFY(t.Edit()->IsBalloonVisible());
    QCOMPARE(t.Edit()->Balloon()->Title(), QStringLiteral("Chybný vstup"));
    QCOMPARE(t.Edit()->Balloon()->Text(), QStringLiteral("Zadejte desetinné číslo"));
}

void TestTreeListEditing::loneMinusKeepsTheIntegerEditorOpen()
{
    EditingTree t;
    t.tree->SelectItem(t.items[0], 1);
    EditingTree::Type(QStringLiteral("-"));
    QVERIFY(t.Edit());
    QVERIFY(!t.Edit()->valid);
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(t.tree->IsEditing());
    QVERIFY(t.Edit()->IsBalloonVisible());
    QCOMPARE(t.Edit()->Balloon()->Text(), QStringLiteral("Zadejte celé číslo"));
    QVERIFY(t.owner.checks.empty()); // the owner is not asked about an invalid text
    QVERIFY(t.owner.setTexts.empty());

    EditingTree::Type(QStringLiteral("5"));
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.setTexts.size(), std::size_t(1));
    QCOMPARE(t.owner.setTexts[0].text, QStringLiteral("-5"));
}

void TestTreeListEditing::letterInAnIntegerCellIsRefused()
{
    EditingTree t;
    t.tree->SelectItem(t.items[2], 1);
    EditingTree::Type(QStringLiteral("a"));
    QVERIFY(t.Edit());
    QCOMPARE(t.Edit()->text(), QStringLiteral("130")); // the cell's text, still selected
    QVERIFY(t.Edit()->IsBalloonVisible());
    QCOMPARE(t.Edit()->Balloon()->Text(), QStringLiteral("Zadejte celé číslo"));
    EditingTree::Type(QStringLiteral("7"));
    QCOMPARE(t.Edit()->text(), QStringLiteral("7"));
}

void TestTreeListEditing::ownerCheckCanKeepTheEditorOpen()
{
    EditingTree t;
    int answer = 1;
    t.owner.check = [&](CCheckedEdit& editor, const TreeListEditInfo&) {
        if (answer) editor.ShowBalloon(editor.balloonTitle, QStringLiteral("OD - 2x stěna je menší než 0, trubka nemá díru"));
        return answer;
    };
    t.tree->SelectItem(t.items[0], 2);
    EditingTree::Type(QStringLiteral("55"));
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(t.tree->IsEditing());
    QCOMPARE(t.Edit()->Balloon()->Text(), QStringLiteral("OD - 2x stěna je menší než 0, trubka nemá díru"));
    QVERIFY(t.owner.endEdits.empty());

    answer = 0;
    t.Edit()->selectAll();
    EditingTree::Type(QStringLiteral("20"));
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.checks.size(), std::size_t(2));
    QCOMPARE(t.owner.endEdits.size(), std::size_t(1));
    QCOMPARE(t.owner.setTexts.back().text, QStringLiteral("20"));
}

void TestTreeListEditing::endOfEditCanDropTheText()
{
    EditingTree t;
    t.owner.endEditAnswer = 1;
    t.tree->SelectItem(t.items[0], 3);
    EditingTree::Type(QStringLiteral("72.1"));
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.endEdits.size(), std::size_t(1));
    QCOMPARE(t.owner.endEdits[0].text, QStringLiteral("72.1"));
    QVERIFY(t.owner.setTexts.empty());
    QCOMPARE(t.tree->GetItemText(t.items[0], 3), QStringLiteral("99.4"));
}

void TestTreeListEditing::escapeDropsTheEdit()
{
    EditingTree t;
    t.tree->SelectItem(t.items[0], 3);
    EditingTree::Type(QStringLiteral("7"));
    EditingTree::Press(Qt::Key_Escape);
    QVERIFY(!t.tree->IsEditing());
    QVERIFY(t.owner.checks.empty() && t.owner.endEdits.empty() && t.owner.setTexts.empty());
    QCOMPARE(QApplication::focusWidget(), t.tree);
}

void TestTreeListEditing::enterReportsReturnBeforeTheEditStarts()
{
    bool editingAtReturn = true; // outlives the control
    EditingTree t;
    t.tree->SelectItem(t.items[1], 3);
    connect(t.tree, &CTreeListCtrl::returnPressed, [&] { editingAtReturn = t.tree->IsEditing(); });
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(!editingAtReturn);
    QVERIFY(t.Edit());
    QCOMPARE(t.Edit()->text(), QStringLiteral("99.4"));
    QCOMPARE(t.Edit()->selectedText(), QStringLiteral("99.4"));
    QCOMPARE(t.tree->EditedItem(), t.items[1]);
    QCOMPARE(t.tree->EditedColumn(), 3);
    // The editor covers the cell.
    QCOMPARE(t.Edit()->geometry(), t.tree->visualRect(t.tree->Model()->IndexOf(t.items[1], 3)));
}

void TestTreeListEditing::enterOnACellThatDoesNotEditReachesTheDialog()
{
    class Dialog : public CQyAcDialog {
    public:
        Dialog() : CQyAcDialog(503, nullptr, QString(), 0)
        {
            SetTemplateSize(300, 160);
            AddControl(11049, QRect(10, 10, 280, 110), new QWidget);
            AddControl(IDOK, QRect(240, 130, 50, 14), new QPushButton(QStringLiteral("OK")))->setDefault(true);
        }
    };
    Dialog dialog;
    auto* tree = new CTreeListCtrl(&dialog);
    QVERIFY(tree->Create(0x50801029, &dialog));
    QCOMPARE(dialog.GetDlgItem(4100), tree);
    QCOMPARE(tree->objectName(), QStringLiteral("4100"));
    QCOMPARE(tree->geometry(), dialog.GetDlgItem(11049)->geometry());
    tree->InsertColumn(0, FixedColumn(QStringLiteral("Profil"), 80));
    tree->InsertColumn(1, FixedColumn(QStringLiteral("OD"), 60));
    tree->SetColumnEditMode(1, TLEM_EDIT, 0x05);
    tree->SetExtendedStyle(0, 0x400F0000);
    TreeListItem* item = tree->InsertItem(QStringLiteral("110x5.3"), nullptr);
    tree->SetItemText(item, 1, QStringLiteral("110"));
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    tree->setFocus();

    tree->SelectItem(item, 1);
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(tree->IsEditing());
    QVERIFY(dialog.isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // ends the edit, not the dialog
    QVERIFY(!tree->IsEditing());
    QVERIFY(dialog.isVisible());

    tree->SelectItem(item, 0);
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(!tree->IsEditing());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(IDOK));
}

void TestTreeListEditing::listEditorStoresTheChosenEntry()
{
    EditingTree t;
    t.tree->SelectItem(t.items[0], 4);
    EditingTree::Type(QStringLiteral("D")); // a list column searches instead of editing
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.tree->GetSelectedItem(), t.items[1]);
    EditingTree::Press(Qt::Key_Return);
    auto* combo = qobject_cast<QComboBox*>(t.tree->Editor());
    QVERIFY(combo);
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->currentText(), QStringLiteral("DN 100"));
    QCOMPARE(combo->count(), 5);

    // Arrow keys only browse; Enter keeps the entry shown.
    QTest::keyClick(combo, Qt::Key_Down);
    QVERIFY(t.tree->IsEditing());
    QTest::keyClick(combo, Qt::Key_Return);
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.checks.size(), std::size_t(0)); // list cells get no cell check
    QCOMPARE(t.owner.setTexts.back().text, QStringLiteral("DN 125"));
    QCOMPARE(t.owner.setTexts.back().column, 4);
    QCOMPARE(t.owner.setTexts.back().item, t.items[1]);

    // An entry chosen in the drop-down ends the edit at once.
    EditingTree::Press(Qt::Key_Return);
    combo = qobject_cast<QComboBox*>(t.tree->Editor());
    QVERIFY(combo);
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    const QModelIndex entry = combo->view()->model()->index(3, 0);
    QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, combo->view()->visualRect(entry).center());
    QTRY_VERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.setTexts.back().text, QStringLiteral("DN 150"));
}

void TestTreeListEditing::pastingStartsAnEdit()
{
    EditingTree t;
    t.tree->SelectItem(t.items[0], 1);
    QApplication::clipboard()->setText(QStringLiteral("12x"));
    QTest::keyClick(t.tree, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(t.Edit());
    QCOMPARE(t.Edit()->text(), QStringLiteral("12x")); // pasted text is not refused, only shown invalid
    QVERIFY(!t.Edit()->valid);
    EditingTree::Press(Qt::Key_Escape);

    // A column whose options hold 0x10 starts no edit by typing or pasting.
    t.tree->SetColumnEditMode(1, TLEM_EDIT, TLEO_NO_TYPE_START);
    QTest::keyClick(t.tree, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(t.tree, '7');
    QVERIFY(!t.tree->IsEditing());
}

void TestTreeListEditing::clickStartsAnEditOnlyWhereTheOptionsSaySo()
{
    EditingTree t;
    const QRect cell = t.tree->visualRect(t.tree->Model()->IndexOf(t.items[1], 2));
    QTest::mouseClick(t.tree->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(t.tree->GetSelectedItem(), t.items[1]);
    QVERIFY(!t.tree->IsEditing());

    t.tree->SetColumnEditMode(2, TLEM_EDIT, 0x05 | TLEO_CLICK_START);
    QTest::mouseClick(t.tree->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(t.Edit());
    QCOMPARE(t.tree->EditedColumn(), 2);
}

void TestTreeListEditing::keptTextIsStoredInACellWithoutCallback()
{
    EditingTree t;
    t.tree->SetItemText(t.items[0], 1, QStringLiteral("100"));
    t.tree->SelectItem(t.items[0], 1);
    EditingTree::Press(Qt::Key_Return);
    EditingTree::Type(QStringLiteral("125"));
    EditingTree::Press(Qt::Key_Tab);
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.tree->GetItemText(t.items[0], 1), QStringLiteral("125"));
    QVERIFY(t.owner.setTexts.empty());
    QCOMPARE(t.owner.endEdits.size(), std::size_t(1));
}

void TestTreeListEditing::focusLossKeepsAValidTextAndShowsARefusedOne()
{
    EditingTree t;
    auto* other = new QLineEdit(&t.window);
    t.window.layout()->addWidget(other);
    other->show();

    t.tree->SelectItem(t.items[0], 1);
    EditingTree::Type(QStringLiteral("140"));
    other->setFocus();
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.setTexts.back().text, QStringLiteral("140"));
    QCOMPARE(QApplication::focusWidget(), other);

    // A refused text is not dropped unseen: its editor stays open with the balloon, and the
    // focus goes where the user took it.
    t.tree->setFocus();
    EditingTree::Type(QStringLiteral("-"));
    QVERIFY(t.tree->IsEditing());
    other->setFocus();
    QTRY_VERIFY(t.Edit() && t.Edit()->IsBalloonVisible());
    QVERIFY(t.tree->IsEditing());
    QCOMPARE(t.Edit()->text(), QStringLiteral("-"));
    QCOMPARE(t.owner.setTexts.size(), std::size_t(1));
    QCOMPARE(QApplication::focusWidget(), other);
}

void TestTreeListEditing::refusedEditStaysOpenWhenTheUserMovesToAnotherRow_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("balloon");
    QTest::addColumn<bool>("byKey");
    QTest::newRow("the field refuses a lone minus, click")
        << QStringLiteral("-") << QStringLiteral("Zadejte celé číslo") << false;
    QTest::newRow("the owner's cell check refuses 1, click")
        << QStringLiteral("1") << QStringLiteral("Zadaný vnější průměr je příliš malý") << false;
    QTest::newRow("the field refuses a lone minus, Down")
        << QStringLiteral("-") << QStringLiteral("Zadejte celé číslo") << true;
    QTest::newRow("the owner's cell check refuses 1, Page Down")
        << QStringLiteral("1") << QStringLiteral("Zadaný vnější průměr je příliš malý") << true;
}

void TestTreeListEditing::refusedEditStaysOpenWhenTheUserMovesToAnotherRow()
{
    QFETCH(QString, typed);
    QFETCH(QString, balloon);
    QFETCH(bool, byKey);
    EditingTree t;
    t.owner.check = [](CCheckedEdit& editor, const TreeListEditInfo& edit) {
        if (edit.text != QStringLiteral("1")) return 0;
        editor.ShowBalloon(editor.balloonTitle, QStringLiteral("Zadaný vnější průměr je příliš malý"));
        return 1;
    };
    t.tree->SelectItem(t.items[0], 1);
    EditingTree::Type(typed);
    QVERIFY(t.tree->IsEditing());

    const QPoint otherRow = t.tree->visualRect(t.tree->model()->index(2, 0)).center();
    if (byKey) EditingTree::Press(typed == QStringLiteral("1") ? Qt::Key_PageDown : Qt::Key_Down);
    else QTest::mouseClick(t.tree->viewport(), Qt::LeftButton, {}, otherRow);
    QVERIFY(t.tree->IsEditing());
    QCOMPARE(t.Edit()->text(), typed);
    QVERIFY(t.Edit()->IsBalloonVisible());
    QCOMPARE(t.Edit()->Balloon()->Text(), balloon);
    QCOMPARE(QApplication::focusWidget(), t.Edit());
    QCOMPARE(t.tree->GetSelectedItem(), t.items[0]);
    QVERIFY(t.owner.setTexts.empty());

    // Escape gives the edit up; the next click selects the row.
    EditingTree::Press(Qt::Key_Escape);
    QVERIFY(!t.tree->IsEditing());
    QTest::mouseClick(t.tree->viewport(), Qt::LeftButton, {}, otherRow);
    QCOMPARE(t.tree->GetSelectedItem(), t.items[2]);
    QCOMPARE(t.tree->GetItemText(t.items[0], 1), QStringLiteral("110"));
}

void TestTreeListEditing::dropDownShowsItsWholeEntries()
{
    // The DN column is 60 pixels wide; its drop-down is as wide as its longest entry needs.
    EditingTree t;
    t.tree->SelectItem(t.items[0], 4);
    EditingTree::Press(Qt::Key_Return);
    auto* combo = qobject_cast<QComboBox*>(t.tree->Editor());
    QVERIFY(combo);
    QCOMPARE(t.tree->columnWidth(4), 60);
    QVERIFY2(combo->width() >= combo->sizeHint().width(),
             qPrintable(QStringLiteral("%1 < %2").arg(combo->width()).arg(combo->sizeHint().width())));
    QVERIFY(t.tree->viewport()->rect().contains(combo->geometry()));
}

void TestTreeListEditing::eachEditTakesItsOwnColumnsSettings()
{
    EditingTree t;
    t.tree->SelectItem(t.items[0], 2);
    EditingTree::Type(QStringLiteral("2,5"));
    QCOMPARE(t.Edit()->text(), QStringLiteral("2.5"));
    EditingTree::Press(Qt::Key_Return);

    // The integer column has no comma filter and refuses the comma.
    t.tree->SelectItem(t.items[0], 1);
    EditingTree::Type(QStringLiteral("2,"));
    QCOMPARE(t.Edit()->text(), QStringLiteral("2"));
    QCOMPARE(t.Edit()->Balloon()->Text(), QStringLiteral("Zadejte celé číslo"));
    QVERIFY(!t.Edit()->allowEmpty);
    EditingTree::Press(Qt::Key_Escape);

    // Flag 0x20 lets a cell be emptied.
    t.tree->SetColumnInputKind(1, TLIK_INTEGER | TLIK_EMPTY, -1);
    EditingTree::Press(Qt::Key_Return);
    EditingTree::Press(Qt::Key_Backspace);
    EditingTree::Press(Qt::Key_Return);
    QVERIFY(!t.tree->IsEditing());
    QCOMPARE(t.owner.setTexts.back().text, QString());
}

void TestTreeListEditing::maximumLengthNamesItselfInTheBalloon()
{
    EditingTree t;
    t.tree->SetColumnInputKind(1, 0x00000602u); // integer, at most 6 characters
    t.tree->SelectItem(t.items[0], 1);
    EditingTree::Type(QStringLiteral("1234567"));
    QCOMPARE(t.Edit()->text(), QStringLiteral("123456"));
    QCOMPARE(t.Edit()->Balloon()->Text(), QStringLiteral("Zadejte celé číslo\nmax. 6 znaků"));
}

QTEST_MAIN(TestTreeListEditing)
#include "test_treelist_editing.moc"
