// The catalog dialogs with the program's real message boxes, as a desktop shows them: the focus
// comes back to the control the user left for a message box, the error balloon and the
// tooltips open next to their controls, and the balloon takes the form the desktop can show
// (translucent where windows are composited, cut to its shape elsewhere).
//
// ctest runs it off screen; scripts/desktop-check.sh runs it on X11 under a window manager,
// with and without a compositor, and under Wayland, and takes screenshots there when
// VELMORA_SCREENSHOT_DIR names a folder.

#include "CatalogDialogTestSupport.h"
#include "CheckedEdit.h"
#include "DialogTestSupport.h"
#include "ErrorBalloon.h"
#include "QtWindowServices.h"
#include "QyDlgMatEdituj.h"
#include "QyDlgMatVyber.h"
#include "WindowServices.h"

#include <QComboBox>
#include <QHelpEvent>
#include <QMessageBox>
#include <QProcess>
#include <QToolTip>
#include <QWindow>
#include <QtTest>

using namespace MatDlgId;

namespace {

void FillTwo(CWexSezMaterialu& catalog)
{
    FillCatalog(catalog, {
        {"PE 100", GroupAll, PurposeWater, {11, 12, 13, 15}, DescOuterXWall, "Polyetylén PE 100", "Pipelife"},
        {"PVC", GroupAll, PurposeSewer, {11}, DescByDn, "Polyvinylchlorid", "Wavin"},
    });
    catalog.Find(u"PE 100")->m_nPN = 3;
    catalog.Find(u"PE 100")->m_nSDR = 2;
}

// A picture of the whole screen, where the desktop can take one and a folder is named for it.
void Screenshot(const QString& name)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    QTest::qWait(400);
    const QString file = QStringLiteral("%1/%2-%3.png")
                             .arg(folder, name, CErrorBalloon::DesktopComposites() ? QStringLiteral("composited")
                                                                                   : QStringLiteral("plain"));
    if (QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file}) != 0)
        qWarning("no screenshot %s", qPrintable(file));
}

// The screen rectangle of a widget.
QRect OnScreen(const QWidget* w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

QWidget* VisibleToolTip()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->inherits("QTipLabel") && w->isVisible()) return w;
    }
    return nullptr;
}

} // namespace

class TestCatalogDialogDesktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void focusComesBackAfterAMessageBox_data();
    void focusComesBackAfterAMessageBox();
    void balloonOpensUnderItsFieldInTheDesktopsForm();
    void toolTipOpensAtItsControl();
    void dnDropDownAndDisabledDetailsAsShown();
};

void TestCatalogDialogDesktop::initTestCase()
{
    qInfo("platform %s, windows composited: %s", qPrintable(QGuiApplication::platformName()),
          CErrorBalloon::DesktopComposites() ? "yes" : "no");
}

void TestCatalogDialogDesktop::focusComesBackAfterAMessageBox_data()
{
    QTest::addColumn<bool>("editing");
    QTest::newRow("selection dialog: Enter in a list without materials") << false;
    QTest::newRow("editing dialog: Enter in an emptied Název") << true;
}

void TestCatalogDialogDesktop::focusComesBackAfterAMessageBox()
{
    QFETCH(bool, editing);
    QtWindowServices boxes;
    ScopedWindowServices scope{boxes};
    CWexSezMaterialu catalog;
    std::unique_ptr<CQyDlgMatVyber> dlg;
    QWidget* control = nullptr;
    QString expected;
    if (editing) {
        FillTwo(catalog);
        auto* edit = new CQyDlgMatEdituj;
        dlg.reset(edit);
        QVERIFY(OpenEditingOn(*edit, catalog));
        QTest::mouseClick(Button(*edit, IdcEditMaterial), Qt::LeftButton);
        control = edit->m_editName;
        control->setFocus(Qt::TabFocusReason);
        edit->m_editName->clear();
        expected = QStringLiteral("Název nesmí být prázdný");
    } else {
        dlg = std::make_unique<CQyDlgMatVyber>();
        dlg->m_pCatalog = &catalog;
        dlg->show();
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
        control = dlg->m_listMat;
        control->setFocus(Qt::TabFocusReason);
        expected = QStringLiteral("Není vybrána žádný materiál");
    }
    QTRY_COMPARE(QApplication::focusWidget(), control);

    QString shown;
    WhenModalShown([&](QWidget* box) {
        if (auto* message = qobject_cast<QMessageBox*>(box)) shown = message->text();
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
    });
    QTest::keyClick(control, Qt::Key_Return);
    QCOMPARE(shown, expected);
    // A window manager gives the dialog back the activation; off screen nobody does.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) dlg->activateWindow();
    QTRY_VERIFY(dlg->isActiveWindow());
    QTRY_COMPARE(QApplication::focusWidget(), control);
}

void TestCatalogDialogDesktop::balloonOpensUnderItsFieldInTheDesktopsForm()
{
    CWexSezMaterialu catalog;
    FillTwo(catalog);
    CQyDlgMatEdituj dlg;
    QVERIFY(OpenEditingOn(dlg, catalog));
    QTest::mouseClick(Button(dlg, IdcEditMaterial), Qt::LeftButton);
    dlg.m_editName->setFocus();
    dlg.m_editName->selectAll();
    QTest::keyClicks(dlg.m_editName, QStringLiteral("Polyetylen vysoke hustoty")); // 20 typed, then refused

    const CErrorBalloon* balloon = dlg.m_editName->Balloon();
    QVERIFY(balloon);
    QTRY_VERIFY(balloon->isVisible() && balloon->windowHandle() && balloon->windowHandle()->isExposed());
    const QRect field = OnScreen(dlg.m_editName);
    const QRect shown = balloon->geometry();
    QVERIFY2(shown.top() >= field.bottom() - 4 && shown.top() <= field.bottom() + 8,
             qPrintable(QStringLiteral("field bottom %1, balloon top %2").arg(field.bottom()).arg(shown.top())));
    QVERIFY(shown.left() < field.right() && shown.right() > field.left());

    const bool composited = CErrorBalloon::DesktopComposites();
    QCOMPARE(balloon->testAttribute(Qt::WA_TranslucentBackground), composited);
    QCOMPARE(balloon->mask().isEmpty(), composited);
    Screenshot(QStringLiteral("balloon"));
}

void TestCatalogDialogDesktop::toolTipOpensAtItsControl()
{
    CWexSezMaterialu catalog;
    FillTwo(catalog);
    CQyDlgMatEdituj dlg;
    QVERIFY(OpenEditingOn(dlg, catalog));
    QWidget* button = dlg.GetDlgItem(IdcLoadStandard);
    const QPoint at(button->width() / 2, button->height() / 2);
    QHelpEvent help(QEvent::ToolTip, at, button->mapToGlobal(at));
    QApplication::sendEvent(button, &help);
    QWidget* tip = nullptr;
    QTRY_VERIFY((tip = VisibleToolTip()) != nullptr);
    QTRY_VERIFY(tip->windowHandle() && tip->windowHandle()->isExposed());
    // Qt puts a tooltip just below and right of the pointer, turned back to stay on the screen.
    const QRect near = OnScreen(button).adjusted(-tip->width() - 40, -tip->height() - 40, tip->width() + 40, tip->height() + 40);
    QVERIFY2(near.contains(tip->geometry()),
             qPrintable(QStringLiteral("button %1,%2 tooltip %3,%4").arg(OnScreen(button).x()).arg(OnScreen(button).y())
                            .arg(tip->x()).arg(tip->y())));
    Screenshot(QStringLiteral("tooltip"));
    QToolTip::hideText();
}

void TestCatalogDialogDesktop::dnDropDownAndDisabledDetailsAsShown()
{
    CWexSezMaterialu catalog;
    FillTwo(catalog);
    {
        CQyDlgMatEdituj dlg;
        QVERIFY(OpenEditingOn(dlg, catalog));
        CTreeListCtrl* tree = dlg.m_treeProf;
        TreeListItem* row = tree->GetNextItem(tree->GetRootItem(), TLGN_NEXT);
        QVERIFY(row);
        tree->setFocus();
        QVERIFY(tree->EditCell(row, 4));
        auto* combo = qobject_cast<QComboBox*>(tree->Editor());
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("DN 125"));
        QVERIFY(combo->width() >= combo->sizeHint().width());
        Screenshot(QStringLiteral("dn-dropdown"));
        tree->EndEdit(false);
    }
    CQyDlgMatVyber selection;
    selection.m_pCatalog = &catalog;
    selection.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selection));
    QVERIFY(!selection.GetDlgItem(IdcManufacturer)->isEnabled());
    Screenshot(QStringLiteral("selection-details"));
}

QTEST_MAIN(TestCatalogDialogDesktop)
#include "test_catalogdialog_desktop.moc"
