#pragma once
// A tree-list in a window, set up as the editing dialog sets up its profile table, with an
// owner that answers from plain rows and records every question it is asked.

#include "CheckedEdit.h"
#include "TreeListCtrl.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <vector>

// A row of test data: the tree-column text and the texts of columns 1 to 5.
struct TestRow {
    QString label;
    QString cells[6];
    int order = 0;
};

class RecordingOwner : public TreeListOwner {
public:
    bool OnTreeListGetText(CTreeListCtrl&, const TreeListTextRequest& request, QString& text) override
    {
        requests.push_back(request);
        auto* row = static_cast<TestRow*>(request.data);
        if (!row) return false;
        text = request.column == -1 ? row->label : row->cells[request.column];
        return true;
    }
    int OnTreeListCheckCell(CTreeListCtrl&, CCheckedEdit& editor, const TreeListEditInfo& edit) override
    {
        checks.push_back(edit);
        return check ? check(editor, edit) : 0;
    }
    int OnTreeListEndEdit(CTreeListCtrl&, const TreeListEditInfo& edit) override
    {
        endEdits.push_back(edit);
        return endEditAnswer;
    }
    int OnTreeListSetText(CTreeListCtrl&, const TreeListEditInfo& edit) override
    {
        setTexts.push_back(edit);
        auto* row = static_cast<TestRow*>(edit.data);
        if (row && edit.column > 0) row->cells[edit.column] = edit.text;
        return 0;
    }

    std::vector<TreeListTextRequest> requests;
    std::vector<TreeListEditInfo> checks, endEdits, setTexts;
    std::function<int(CCheckedEdit&, const TreeListEditInfo&)> check;
    int endEditAnswer = 0;
};

inline TreeListColumn FixedColumn(const QString& text, int width)
{
    TreeListColumn c;
    c.mask = 0x90000007; // format, fixed width, text (+ the two format options)
    c.text = text;
    c.cx = width;
    c.cchTextMax = 256;
    return c;
}

inline const char16_t* const kDnLabels[] = {u"DN 80", u"DN 100", u"DN 125", u"DN 150", u"DN 200", nullptr};

// The profile table of the editing dialog in miniature.
struct EditingTree {
    QWidget window;
    CTreeListCtrl* tree = new CTreeListCtrl(&window);
    RecordingOwner owner;
    std::vector<TestRow> rows;
    std::vector<TreeListItem*> items;

    explicit EditingTree(int rowCount = 3)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(tree);
        window.resize(480, 220);
        tree->SetStyle(0x50801029);
        tree->SetOwner(&owner);
        const char* headers[] = {"Profil", "OD", "Stěna", "ID", "DN", "Sirka"};
        for (int c = 0; c < 6; ++c) tree->InsertColumn(c, FixedColumn(QString::fromUtf8(headers[c]), c == 0 ? 80 : 60));
        tree->SetColumnInputKind(1, 0xFFFFFF00u);
        tree->SetColumnEditMode(0x905, nullptr);
        tree->SetColumnInputKind(1, 0xFFFFFF02u);
        tree->SetColumnInputKind(3, 0xFFFFFF00u);
        tree->SetColumnEditMode(0x1905, nullptr);
        tree->SetColumnInputKind(3, 0xFFFFFF04u);
        tree->SetColumnInputKind(2, 0xFFFFFF00u);
        tree->SetColumnEditMode(0x1105, nullptr);
        tree->SetColumnInputKind(2, 0xFFFFFF04u);
        tree->SetColumnEditMode(0x238D, kDnLabels);
        tree->SetExtendedStyle(0, 0x400F0000);

        const char* labels[] = {"110x5.3", "125x6.0", "160x7.7", "200x9.6", "250x12"};
        rows.resize(static_cast<std::size_t>(rowCount));
        for (int r = 0; r < rowCount; ++r) {
            TestRow& row = rows[static_cast<std::size_t>(r)];
            row.label = QString::fromUtf8(labels[r % 5]);
            row.cells[1] = QString::number(110 + 10 * r);
            row.cells[2] = QStringLiteral("5.30");
            row.cells[3] = QStringLiteral("99.4");
            row.cells[4] = QString::fromUtf16(kDnLabels[r % 5]);
            row.order = r;
            TreeListItem* item = tree->InsertCallbackItem(&row);
            for (int c = 1; c <= 4; ++c) tree->SetItemCallbackText(item, c);
            items.push_back(item);
        }
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) qWarning("window not active");
        tree->setFocus();
    }

    // The rows and the owner go before the window does: no text may be asked for then.
    ~EditingTree() { tree->SetOwner(nullptr); }

    // Types into whatever has the keyboard focus, as a user does.
    static void Type(const QString& text)
    {
        for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

    CCheckedEdit* Edit() const { return qobject_cast<CCheckedEdit*>(tree->Editor()); }
};
