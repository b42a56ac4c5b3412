// The tree-list's columns, items, texts on request, selection and sorting, and its model
// under QAbstractItemModelTester.

#include "DialogTestSupport.h"
#include "TreeListModel.h"
#include "TreeListTestSupport.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>

namespace {

TreeListColumn ProportionalColumn(int weight, unsigned mask = 0x9000000D)
{
    TreeListColumn c;
    c.mask = mask;
    c.text = QStringLiteral("DN");
    c.cx = weight;
    return c;
}

TreeListColumn WidthChange(unsigned mask, int fmt, int width)
{
    TreeListColumn c;
    c.mask = mask;
    c.fmt = fmt;
    c.cx = width;
    return c;
}

struct PlainTree {
    QWidget window;
    CTreeListCtrl* tree = new CTreeListCtrl(&window);
    RecordingOwner owner;

    PlainTree()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(tree);
        window.resize(420, 200);
        tree->SetStyle(0x50801021);
        tree->SetOwner(&owner);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    ~PlainTree() { tree->SetOwner(nullptr); }
};

} // namespace

class TestTreeList : public QObject {
    Q_OBJECT

private slots:
    void thirtyThirdColumnIsRefused();
    void weightIsClampedTo1Through255_data();
    void weightIsClampedTo1Through255();
    void proportionalColumnsShareTheRestByWeight();
    void rememberedWidthCollapsesAndRestores();
    void columnChangesNeedAnExistingColumn();
    void editModeAndInputKindAreUnpacked();
    void deletingAllOfAnEmptyControlLeavesNone();
    void unknownHandleHasNoData();
    void getNextItemWalksTheTree();
    void textRequestsNameTheTreeColumnMinusOne();
    void cellWithoutTextShowsQuestionMarks();
    void sortKeepsEqualRowsAndTheSelection();
    void selectionChangeIsReportedBeforeRowsGo();
    void typeAheadSearchesTheFocusedColumn();
    void modelPassesTheModelTester();
};

void TestTreeList::thirtyThirdColumnIsRefused()
{
    PlainTree t;
    for (int c = 0; c < 32; ++c) QCOMPARE(t.tree->InsertColumn(c, FixedColumn(QString::number(c), 20)), c);
    QCOMPARE(t.tree->InsertColumn(32, FixedColumn(QStringLiteral("33"), 20)), -1);
    QCOMPARE(t.tree->InsertColumn(0, FixedColumn(QStringLiteral("33"), 20)), -1);
    QCOMPARE(t.tree->GetColumnCount(), 32);

    PlainTree u;
    QCOMPARE(u.tree->InsertColumn(-1, FixedColumn(QStringLiteral("x"), 20)), -1);
    QCOMPARE(u.tree->InsertColumn(7, FixedColumn(QStringLiteral("a"), 20)), 0); // beyond: appended
}

void TestTreeList::weightIsClampedTo1Through255_data()
{
    QTest::addColumn<unsigned>("mask");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("weight");
    QTest::newRow("weight 40") << 0x9000000Du << 40 << 40;
    QTest::newRow("width 0 gives 1") << 0x9000000Du << 0 << 1;
    QTest::newRow("width 300 gives 255") << 0x9000000Du << 300 << 255;
    QTest::newRow("negative gives 1") << 0x9000000Du << -20 << 1;
    QTest::newRow("no weight bit: 1") << 0x90000005u << 40 << 1;
}

void TestTreeList::weightIsClampedTo1Through255()
{
    QFETCH(unsigned, mask);
    QFETCH(int, width);
    QFETCH(int, weight);
    PlainTree t;
    QCOMPARE(t.tree->InsertColumn(0, FixedColumn(QStringLiteral("Profil"), 80)), 0);
    QCOMPARE(t.tree->InsertColumn(1, ProportionalColumn(width, mask)), 1);
    QCOMPARE(t.tree->GetColumnWeight(1), weight);
    QCOMPARE(t.tree->GetColumnWeight(0), 0);
    QCOMPARE(t.tree->GetColumnWidth(0), 80);
}

void TestTreeList::proportionalColumnsShareTheRestByWeight()
{
    PlainTree t;
    t.tree->InsertColumn(0, FixedColumn(QStringLiteral("Profil"), 80));
    t.tree->InsertColumn(1, ProportionalColumn(1));
    t.tree->InsertColumn(2, ProportionalColumn(3));
    const int rest = t.tree->viewport()->width() - 80;
    QCOMPARE(t.tree->GetColumnWidth(1) + t.tree->GetColumnWidth(2), rest);
    QVERIFY(qAbs(t.tree->GetColumnWidth(1) - rest / 4) <= 1);

    // Growing the control grows only the proportional columns.
    t.window.resize(620, 200);
    QTRY_COMPARE(t.tree->GetColumnWidth(1) + t.tree->GetColumnWidth(2), t.tree->viewport()->width() - 80);
    QCOMPARE(t.tree->GetColumnWidth(0), 80);

    // Without room a proportional column keeps its minimum: 16, or the one the descriptor gives.
    TreeListColumn wide = FixedColumn(QStringLiteral("Široký"), 2000);
    t.tree->InsertColumn(3, wide);
    QCOMPARE(t.tree->GetColumnWidth(1), 16);
    TreeListColumn minimum = ProportionalColumn(5, 0x9000002D);
    minimum.iOrder = -30;
    t.tree->InsertColumn(4, minimum);
    QCOMPARE(t.tree->GetColumnWidth(4), 30);
}

void TestTreeList::rememberedWidthCollapsesAndRestores()
{
    PlainTree t;
    for (int c = 0; c < 6; ++c) t.tree->InsertColumn(c, FixedColumn(QStringLiteral("c"), c == 5 ? 120 : 60));
    const unsigned remember = TLCF_WIDTH | TLCF_REMEMBER;

    // A circular material: column 5 remembers its width and collapses.
    QVERIFY(t.tree->SetColumn(5, WidthChange(remember, TLFMT_REMEMBER, 0)));
    QCOMPARE(t.tree->GetColumnWidth(5), 0);
    QVERIFY(t.tree->isColumnHidden(5));
    QCOMPARE(t.tree->GetColumnRememberedWidth(5), 120);

    // Another circular material: the width already remembered stays.
    QVERIFY(t.tree->SetColumn(5, WidthChange(remember, TLFMT_REMEMBER, 0)));
    QCOMPARE(t.tree->GetColumnRememberedWidth(5), 120);

    // A rectangular material: the column takes its width back and forgets it.
    QVERIFY(t.tree->SetColumn(5, WidthChange(remember, 0, TLCW_REMEMBERED)));
    QCOMPARE(t.tree->GetColumnWidth(5), 120);
    QCOMPARE(t.tree->GetColumnRememberedWidth(5), -1);

    // Nothing remembered: the marker keeps the present width.
    QVERIFY(t.tree->SetColumn(5, WidthChange(remember, 0, TLCW_REMEMBERED)));
    QCOMPARE(t.tree->GetColumnWidth(5), 120);

    // A column of width 0 remembers 100.
    QVERIFY(t.tree->SetColumn(4, WidthChange(TLCF_WIDTH, 0, 0)));
    QVERIFY(t.tree->SetColumn(4, WidthChange(remember, TLFMT_REMEMBER, 0)));
    QCOMPARE(t.tree->GetColumnRememberedWidth(4), 100);
    QVERIFY(t.tree->SetColumn(4, WidthChange(remember, 0, TLCW_REMEMBERED)));
    QCOMPARE(t.tree->GetColumnWidth(4), 100);
}

void TestTreeList::columnChangesNeedAnExistingColumn()
{
    PlainTree t;
    t.tree->InsertColumn(0, FixedColumn(QStringLiteral("Profil"), 80));
    t.tree->InsertColumn(1, FixedColumn(QStringLiteral("ID"), 60));
    TreeListColumn header;
    header.mask = TLCF_TEXT;
    header.text = QStringLiteral("Výška");
    QVERIFY(t.tree->SetColumn(1, header));
    QCOMPARE(t.tree->GetColumnText(1), QStringLiteral("Výška"));
    QCOMPARE(t.tree->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Výška"));
    QCOMPARE(t.tree->GetColumnWidth(1), 60);
    QVERIFY(!t.tree->SetColumn(2, header));
    QVERIFY(!t.tree->SetColumn(-1, header));
    QVERIFY(!t.tree->SetColumnEditMode(2, TLEM_EDIT, 0));
    QVERIFY(!t.tree->SetColumnInputKind(2, TLIK_INTEGER, -1));
}

void TestTreeList::editModeAndInputKindAreUnpacked()
{
    EditingTree t;
    const TreeListColumnState* dn = t.tree->ColumnState(4);
    QCOMPARE(dn->editMode, int(TLEM_LIST));
    QCOMPARE(dn->editOptions, 0x8Du);
    QCOMPARE(dn->listItems, QStringList({"DN 80", "DN 100", "DN 125", "DN 150", "DN 200"}));
    const TreeListColumnState* od = t.tree->ColumnState(1);
    QCOMPARE(od->editMode, int(TLEM_EDIT));
    QCOMPARE(od->editOptions, 0x05u);
    QCOMPARE(od->inputFlags, unsigned(TLIK_INTEGER));
    QCOMPARE(od->maxLength, -1);
    QVERIFY(t.tree->SetColumnInputKind(1, 0x00000602u)); // integer, at most 6 characters
    QCOMPARE(od->maxLength, 6);
    QCOMPARE(t.tree->ColumnState(0)->editMode, int(TLEM_NONE));

    // Modes this control does not offer are refused, on column 0 and elsewhere.
    QVERIFY(!t.tree->SetColumnEditMode(0x0600, nullptr));
    QVERIFY(!t.tree->SetColumnEditMode(0x0F00, nullptr));
    QVERIFY(!t.tree->SetColumnEditMode(0x3100, nullptr)); // column 6 does not exist
}

void TestTreeList::deletingAllOfAnEmptyControlLeavesNone()
{
    PlainTree t;
    t.tree->DeleteAllItems();
    QCOMPARE(t.tree->GetCount(), 0);
    QVERIFY(t.tree->DeleteItem(TLI_ROOT));
    QCOMPARE(t.tree->GetCount(), 0);
    QVERIFY(!t.tree->GetRootItem());
}

void TestTreeList::unknownHandleHasNoData()
{
    EditingTree t;
    TreeListItem stranger;
    stranger.data = &t;
    QCOMPARE(t.tree->GetItemData(&stranger), nullptr);
    QCOMPARE(t.tree->GetItemData(nullptr), nullptr);
    QCOMPARE(t.tree->GetItemData(TLI_ROOT), nullptr);
    QCOMPARE(t.tree->GetItemData(t.items[1]), static_cast<void*>(&t.rows[1]));

    TreeListItem* gone = t.items[1];
    QVERIFY(t.tree->DeleteItem(gone));
    QCOMPARE(t.tree->GetItemData(gone), nullptr);
    QVERIFY(!t.tree->SetItemText(gone, 1, QStringLiteral("x")));
    QVERIFY(!t.tree->DeleteItem(gone));
    QVERIFY(!t.tree->SelectItem(gone));
    QCOMPARE(t.tree->GetCount(), 2);
    t.tree->DeleteAllItems();
    QCOMPARE(t.tree->GetItemData(t.items[0]), nullptr);
}

void TestTreeList::getNextItemWalksTheTree()
{
    PlainTree t;
    t.tree->InsertColumn(0, FixedColumn(QStringLiteral("Profil"), 100));
    TreeListItem* b = t.tree->InsertItem(QStringLiteral("b"), nullptr);
    TreeListItem* c = t.tree->InsertItem(QStringLiteral("c"), nullptr);
    TreeListItem* a = t.tree->InsertItem(QStringLiteral("a"), nullptr, TLI_ROOT, TLI_FIRST);
    TreeListItem* bc = t.tree->InsertItem(QStringLiteral("b2"), nullptr, TLI_ROOT, b); // after b
    TreeListItem* child = t.tree->InsertItem(QStringLiteral("a.1"), nullptr, a);
    QCOMPARE(t.tree->GetCount(), 5);

    QCOMPARE(t.tree->GetRootItem(), a);
    QCOMPARE(t.tree->GetNextItem(a, TLGN_NEXT), b);
    QCOMPARE(t.tree->GetNextItem(b, TLGN_NEXT), bc);
    QCOMPARE(t.tree->GetNextItem(bc, TLGN_NEXT), c);
    QCOMPARE(t.tree->GetNextItem(c, TLGN_NEXT), nullptr);
    QCOMPARE(t.tree->GetNextItem(b, TLGN_PREVIOUS), a);
    QCOMPARE(t.tree->GetNextItem(a, TLGN_CHILD), child);
    QCOMPARE(t.tree->GetNextItem(child, TLGN_PARENT), a);
    QCOMPARE(t.tree->GetNextItem(a, TLGN_PARENT), nullptr);

    // Visible order skips the children of a collapsed row.
    QCOMPARE(t.tree->GetNextVisibleItem(a), b);
    QCOMPARE(t.tree->GetLastVisibleItem(), c);
    QCOMPARE(t.tree->GetNextItem(nullptr, TLGN_FIRSTVISIBLE), a);
    t.tree->expand(t.tree->Model()->IndexOf(a, 0));
    QCOMPARE(t.tree->GetNextVisibleItem(a), child);
    QCOMPARE(t.tree->GetNextItem(b, TLGN_PREVIOUSVISIBLE), child);

    QCOMPARE(t.tree->GetSelectedItem(), nullptr);
    QVERIFY(t.tree->SelectItem(c));
    QCOMPARE(t.tree->GetSelectedItem(), c);
    QCOMPARE(t.tree->GetNextItem(nullptr, TLGN_CARETCOLUMN), nullptr);

    // Deleting a row deletes its children.
    QVERIFY(t.tree->DeleteItem(a));
    QCOMPARE(t.tree->GetCount(), 3);
    QVERIFY(!t.tree->IsItem(child));
}

void TestTreeList::textRequestsNameTheTreeColumnMinusOne()
{
    EditingTree t(1);
    t.owner.requests.clear();
    t.tree->viewport()->repaint();
    bool treeColumn = false, firstColumn = false;
    for (const TreeListTextRequest& r : t.owner.requests) {
        QCOMPARE(r.item, t.items[0]);
        QCOMPARE(r.data, static_cast<void*>(&t.rows[0]));
        QVERIFY(r.column != 0);
        if (r.column == -1) treeColumn = true;
        if (r.column == 1) firstColumn = true;
    }
    QVERIFY(treeColumn);
    QVERIFY(firstColumn);
    QCOMPARE(t.tree->GetItemText(t.items[0], 0), QStringLiteral("110x5.3"));
    QCOMPARE(t.tree->GetItemText(t.items[0], 4), QStringLiteral("DN 80"));
    QCOMPARE(t.tree->model()->data(t.tree->Model()->IndexOf(t.items[0], 1)).toString(), QStringLiteral("110"));
}

void TestTreeList::cellWithoutTextShowsQuestionMarks()
{
    EditingTree t(1);
    TreeListItem* noData = t.tree->InsertCallbackItem(nullptr);
    t.tree->SetItemCallbackText(noData, 1);
    QCOMPARE(t.tree->GetItemText(noData, 0), QStringLiteral("????"));
    QCOMPARE(t.tree->GetItemText(noData, 1), QStringLiteral("????"));
    QCOMPARE(t.tree->GetItemText(noData, 2), QString()); // no text set at all

    t.tree->SetOwner(nullptr);
    QCOMPARE(t.tree->GetItemText(t.items[0], 0), QStringLiteral("????"));
    QVERIFY(t.tree->SetItemText(t.items[0], 2, QStringLiteral("kept")));
    QCOMPARE(t.tree->GetItemText(t.items[0], 2), QStringLiteral("kept"));
}

void TestTreeList::sortKeepsEqualRowsAndTheSelection()
{
    EditingTree t(5);
    // Orders 0..4 get keys 2, 1, 2, 0, 1.
    const int keys[] = {2, 1, 2, 0, 1};
    for (int i = 0; i < 5; ++i) t.rows[static_cast<std::size_t>(i)].order = keys[i];
    t.tree->SelectItem(t.items[2], 3);
    QSignalSpy selection(t.tree, &CTreeListCtrl::itemSelectionChanged);
    QVERIFY(t.tree->SortChildren(TLI_ROOT, [](void* a, void* b) {
        return static_cast<TestRow*>(a)->order - static_cast<TestRow*>(b)->order;
    }));
    std::vector<TreeListItem*> order;
    for (TreeListItem* i = t.tree->GetRootItem(); i; i = t.tree->GetNextItem(i, TLGN_NEXT)) order.push_back(i);
    const std::vector<TreeListItem*> expected = {t.items[3], t.items[1], t.items[4], t.items[0], t.items[2]};
    QVERIFY(order == expected);
    QCOMPARE(t.tree->GetSelectedItem(), t.items[2]);
    QCOMPARE(t.tree->GetSelectedColumn(), 3);
    QCOMPARE(selection.count(), 0);

    // A compare function that throws changes nothing.
    const bool sorted = [&] {
        try {
            t.tree->SortChildren(TLI_ROOT, [](void*, void*) -> int { throw std::runtime_error("x"); });
        } catch (const std::runtime_error&) {
            return false;
        }
        return true;
    }();
    QVERIFY(!sorted);
    QCOMPARE(t.tree->GetRootItem(), t.items[3]);
}

void TestTreeList::selectionChangeIsReportedBeforeRowsGo()
{
    std::vector<std::pair<TreeListItem*, TreeListItem*>> changes; // outlive the control
    std::vector<void*> dataSeen;
    EditingTree t;
    connect(t.tree, &CTreeListCtrl::itemSelectionChanged, [&](TreeListItem* from, TreeListItem* to) {
        changes.emplace_back(from, to);
        dataSeen.push_back(t.tree->GetItemData(from));
    });
    QVERIFY(t.tree->SelectItem(t.items[0], 2));
    QVERIFY(t.tree->SelectItem(t.items[1], 2));
    QCOMPARE(t.tree->GetSelectedColumn(), 2);
    QCOMPARE(changes.size(), std::size_t(2));
    QCOMPARE(changes[1].first, t.items[0]);

    // Deleting the selected row: the owner still reads the row's data in the notification.
    QVERIFY(t.tree->DeleteItem(t.items[1]));
    QCOMPARE(changes.back(), std::make_pair(t.items[1], static_cast<TreeListItem*>(nullptr)));
    QCOMPARE(dataSeen.back(), static_cast<void*>(&t.rows[1]));

    QVERIFY(t.tree->SelectItem(t.items[2], 1));
    t.tree->DeleteAllItems();
    QCOMPARE(changes.back(), std::make_pair(t.items[2], static_cast<TreeListItem*>(nullptr)));
    QCOMPARE(dataSeen.back(), static_cast<void*>(&t.rows[2]));
    QCOMPARE(t.tree->GetSelectedItem(), nullptr);

    // A click selects, and reports the click with the row and column.
    EditingTree u;
    QSignalSpy clicks(u.tree, &CTreeListCtrl::itemClicked);
    QSignalSpy doubleClicks(u.tree, &CTreeListCtrl::itemDoubleClicked);
    const QRect cell = u.tree->visualRect(u.tree->Model()->IndexOf(u.items[1], 3));
    QTest::mouseClick(u.tree->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(u.tree->GetSelectedItem(), u.items[1]);
    QCOMPARE(u.tree->GetSelectedColumn(), 3);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(1).toInt(), 3);
    QTest::mouseDClick(u.tree->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(doubleClicks.count(), 1);
}

void TestTreeList::typeAheadSearchesTheFocusedColumn()
{
    PlainTree t;
    t.tree->InsertColumn(0, FixedColumn(QStringLiteral("Profil"), 100));
    t.tree->InsertColumn(1, FixedColumn(QStringLiteral("DN"), 100));
    TestRow rows[4];
    const char* dn[] = {"DN 100", "DN 125", "DN 200", "PE 50"};
    std::vector<TreeListItem*> items;
    for (int i = 0; i < 4; ++i) {
        rows[i].label = QStringLiteral("r%1").arg(i);
        rows[i].cells[1] = QString::fromUtf8(dn[i]);
        items.push_back(t.tree->InsertCallbackItem(&rows[i]));
        t.tree->SetItemCallbackText(items.back(), 1);
    }
    t.tree->SetExtendedStyle(TLXS_CELLSELECT, TLXS_CELLSELECT);
    t.tree->SelectItem(items[0], 1);
    qint64 now = 1000;
    t.tree->SetClock([&] { return now; });
    t.tree->setFocus();

    QTest::keyClicks(t.tree, QStringLiteral("dn 2"));
    QCOMPARE(t.tree->GetSelectedItem(), items[2]);
    now += 100;
    QTest::keyClick(t.tree, 'p');
    QCOMPARE(t.tree->GetSelectedItem(), items[2]); // "dn 2p" fits no row
    now += 1200;                                   // a pause starts a new search
    QTest::keyClick(t.tree, 'p');
    QCOMPARE(t.tree->GetSelectedItem(), items[3]);
    now += 800;                                    // after 800 ms a single character starts anew
    QTest::keyClick(t.tree, 'd');
    QCOMPARE(t.tree->GetSelectedItem(), items[0]);
    now += 100;
    QTest::keyClick(t.tree, 'd');                  // "dd" fits nothing: the selection stays
    QCOMPARE(t.tree->GetSelectedItem(), items[0]);
}

void TestTreeList::modelPassesTheModelTester()
{
    PlainTree t;
    QAbstractItemModelTester tester(t.tree->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    t.tree->InsertColumn(0, FixedColumn(QStringLiteral("Profil"), 80));
    TestRow rows[4];
    std::vector<TreeListItem*> items;
    for (int i = 0; i < 4; ++i) {
        rows[i].label = QStringLiteral("r%1").arg(i);
        rows[i].order = 3 - i;
        items.push_back(t.tree->InsertCallbackItem(&rows[i]));
    }
    t.tree->InsertColumn(1, FixedColumn(QStringLiteral("DN"), 60));
    t.tree->InsertItem(QStringLiteral("child"), nullptr, items[1]);
    t.tree->InsertItem(QStringLiteral("child 2"), nullptr, items[1], TLI_FIRST);
    t.tree->SetItemText(items[2], 1, QStringLiteral("DN 100"));
    t.tree->SelectItem(items[1]);
    t.tree->SortChildren(TLI_ROOT, [](void* a, void* b) {
        return static_cast<TestRow*>(a)->order - static_cast<TestRow*>(b)->order;
    });
    t.tree->InsertColumn(1, ProportionalColumn(10));
    t.tree->DeleteItem(items[0]);
    t.tree->DeleteAllItems();
    QCOMPARE(t.tree->GetCount(), 0);
}

QTEST_MAIN(TestTreeList)
#include "test_treelist.moc"
