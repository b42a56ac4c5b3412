// The DN range dialog: what it opens with, the range it accepts and the one it refuses,
// and how it looks.

#include "DialogLayoutCheck.h"
#include "PipeTables.h"
#include "QyDlgGetDN.h"
#include "ScriptedWindowServices.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

constexpr int kFrom = 11057;
constexpr int kTo = 11045;

// Opens the drop-down list of `combo` and clicks the row `row`, as a user does.
void ChooseWithMouse(QComboBox* combo, int row)
{
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* view = combo->view();
    QVERIFY(QTest::qWaitFor([view] { return view->isVisible(); }));
    // The list ignores a release that comes sooner than a double click after it opened.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex index = combo->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint where = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, where);
    QVERIFY(QTest::qWaitFor([view] { return !view->isVisible(); }));
}

// Selects `row` with the keyboard: Home, then Down until there.
void ChooseWithKeys(QComboBox* combo, int row)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < row; ++i) QTest::keyClick(combo, Qt::Key_Down);
}

struct OpenRange {
    QDialog editingDialog; // stands in for the caller
    CQyDlgGetDN dlg{&editingDialog};
    QComboBox* from = nullptr;
    QComboBox* to = nullptr;

    OpenRange()
    {
        dlg.m_nFrom = 0;
        dlg.m_nTo = 27;
        dlg.show();
        from = dlg.GetDlgItemAs<QComboBox>(kFrom);
        to = dlg.GetDlgItemAs<QComboBox>(kTo);
    }
};

} // namespace

class TestDlgGetDN : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheWholeTableSelected();
    void equalSizesAreAccepted();
    void fromAboveToIsRefusedAndStaysOpen();
    void cancelHandsNothingBack();
    void indexesOutsideTheTableNeverReachTheCaller();
    void looksTidy();
};

void TestDlgGetDN::opensWithTheWholeTableSelected()
{
    OpenRange r;
    QVERIFY(r.from && r.to);
    QCOMPARE(r.dlg.parentWidget(), &r.editingDialog);
    QCOMPARE(r.dlg.windowTitle(), QStringLiteral("Výběr rozsahu DN"));
    QCOMPARE(r.from->currentText(), QStringLiteral("DN 8"));
    QCOMPARE(r.to->currentText(), QStringLiteral("DN 1200"));
    for (QComboBox* combo : {r.from, r.to}) {
        QVERIFY(!combo->isEditable());
        QCOMPARE(combo->count(), kDnCount);
        for (int i = 0; i < kDnCount; ++i) QCOMPARE(combo->itemText(i), QString::fromUtf16(DnLabel(i)));
    }

    auto* caption = r.dlg.GetDlgItemAs<QLabel>(11046);
    QVERIFY(caption);
    QCOMPARE(caption->text(), QStringLiteral("Vyber rozsah DN"));
    QCOMPARE(caption->font(), r.dlg.CaptionFont());
    QVERIFY(caption->font().bold());
    QCOMPARE(caption->palette().color(QPalette::WindowText), CQyAcDialog::HotLightColor());
    QVERIFY(r.dlg.GetDlgItemAs<QPushButton>(IDOK)->isDefault());
    QCOMPARE(r.dlg.GetDlgItemAs<QPushButton>(IDCANCEL)->text(), QStringLiteral("Zruš"));
}

void TestDlgGetDN::equalSizesAreAccepted()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    {
        OpenRange r;
        ChooseWithMouse(r.from, 11);
        ChooseWithMouse(r.to, 11);
        QCOMPARE(r.from->currentText(), QStringLiteral("DN 100"));
        QCOMPARE(r.to->currentText(), QStringLiteral("DN 100"));
        QTest::mouseClick(r.dlg.GetDlgItem(IDOK), Qt::LeftButton);
        QCOMPARE(r.dlg.result(), int(IDOK));
        QVERIFY(!r.dlg.isVisible());
        QCOMPARE(r.dlg.m_nFrom, 11);
        QCOMPARE(r.dlg.m_nTo, 11);
    }
    {
        // Enter in a list is the default button.
        OpenRange r;
        ChooseWithKeys(r.from, 11);
        ChooseWithKeys(r.to, 11);
        QTest::keyClick(r.to, Qt::Key_Return);
        QCOMPARE(r.dlg.result(), int(IDOK));
        QCOMPARE(r.dlg.m_nFrom, 11);
        QCOMPARE(r.dlg.m_nTo, 11);
    }
    QVERIFY(services.Prompts().empty());
}

void TestDlgGetDN::fromAboveToIsRefusedAndStaysOpen()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    OpenRange r;
    ChooseWithMouse(r.from, 27);
    ChooseWithKeys(r.to, 0);
    QTest::mouseClick(r.dlg.GetDlgItem(IDOK), Qt::LeftButton);

    QCOMPARE(services.Prompts().size(), std::size_t(1));
    const RecordedPrompt& prompt = services.Prompts()[0];
    QCOMPARE(prompt.Text(), std::string("DN 'od' musí být menší nebo rovno DN 'do'"));
    QCOMPARE(prompt.Title(), std::string("Materiály potrubí"));
    QCOMPARE(prompt.icon, MessageIcon::Warning);
    QCOMPARE(prompt.buttons, MessageButtons::Ok);
    QVERIFY(r.dlg.isVisible());
    QCOMPARE(r.from->currentText(), QStringLiteral("DN 1200"));
    QCOMPARE(r.to->currentText(), QStringLiteral("DN 8"));

    // Corrected, the same dialog accepts.
    ChooseWithKeys(r.to, 27);
    QTest::mouseClick(r.dlg.GetDlgItem(IDOK), Qt::LeftButton);
    QCOMPARE(r.dlg.result(), int(IDOK));
    QCOMPARE(r.dlg.m_nFrom, 27);
    QCOMPARE(r.dlg.m_nTo, 27);
    QCOMPARE(services.Prompts().size(), std::size_t(1));
}

void TestDlgGetDN::cancelHandsNothingBack()
{
    OpenRange r;
    ChooseWithKeys(r.from, 5);
    QTest::mouseClick(r.dlg.GetDlgItem(IDCANCEL), Qt::LeftButton);
    QCOMPARE(r.dlg.result(), int(IDCANCEL));
    QVERIFY(!r.dlg.isVisible());
    QCOMPARE(r.dlg.m_nFrom, 0);
    QCOMPARE(r.dlg.m_nTo, 27);
}

void TestDlgGetDN::indexesOutsideTheTableNeverReachTheCaller()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    {
        // Out of the table at opening: the table's ends are shown and handed back.
        CQyDlgGetDN dlg;
        dlg.m_nFrom = -1;
        dlg.m_nTo = 40;
        dlg.show();
        QCOMPARE(dlg.m_comboFrom->currentText(), QStringLiteral("DN 8"));
        QCOMPARE(dlg.m_comboTo->currentText(), QStringLiteral("DN 1200"));
        QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(IDOK));
        QCOMPARE(dlg.m_nFrom, 0);
        QCOMPARE(dlg.m_nTo, 27);
    }
    {
        // A selection cleared by a program is refused, not handed back as -1.
        CQyDlgGetDN dlg;
        dlg.show();
        dlg.m_comboTo->setCurrentIndex(-1);
        QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QCOMPARE(services.Prompts().size(), std::size_t(1));
        QCOMPARE(services.Prompts()[0].Text(), std::string("Vyberte DN 'od' i DN 'do'."));
        QCOMPARE(dlg.focusWidget(), dlg.m_comboTo);
    }
}

void TestDlgGetDN::looksTidy()
{
    OpenRange r;
    QVERIFY(QTest::qWaitForWindowExposed(&r.dlg));
    const QStringList problems = LayoutProblems(r.dlg);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    QCOMPARE(r.dlg.size(), r.dlg.MapDialogRect(QRect(0, 0, 163, 64)).size());
    QVERIFY(SaveDialogPicture(r.dlg, QStringLiteral("dialog_502_dn_range.png")));
}

QTEST_MAIN(TestDlgGetDN)
#include "test_dlggetdn.moc"
