// Both catalog dialogs on the shipped standard catalog: every control where its template puts
// it, a tidy layout, and a picture of each in the build tree (selection_dialog.png,
// editing_dialog.png) for a person to look at.

#include "CatalogDialogTestSupport.h"
#include "CatalogFile.h"
#include "CheckedEdit.h"
#include "DialogLayoutCheck.h"
#include "QyDlgMatEdituj.h"
#include "QyDlgMatVyber.h"
#include "ScriptedWindowServices.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace MatDlgId;

namespace {

// Problems of a catalog dialog's layout as the user sees it: a control outside the dialog, two
// controls overlapping (a group box frames the controls inside it), a text wider or taller than
// its control.
QStringList CatalogLayoutProblems(const QWidget& dialog)
{
    QStringList problems;
    QList<QWidget*> controls;
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(&dialog) && !child->isWindow()) controls << child;
    }
    auto name = [](const QWidget* w) { return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName(); };
    for (int i = 0; i < controls.size(); ++i) {
        const QWidget* c = controls[i];
        if (!dialog.rect().contains(c->geometry())) problems << QStringLiteral("%1 sticks out").arg(name(c));
        for (int j = i + 1; j < controls.size(); ++j) {
            const QWidget* d = controls[j];
            if (qobject_cast<const QGroupBox*>(c) || qobject_cast<const QGroupBox*>(d)) {
                const QWidget* box = qobject_cast<const QGroupBox*>(c) ? c : d;
                const QWidget* other = box == c ? d : c;
                if (box->geometry().contains(other->geometry()) || !box->geometry().intersects(other->geometry())) continue;
            }
            if (c->geometry().intersects(d->geometry())) {
                // The template itself lets the caption's box reach 1 unit into "Filtrovat".
                const QString pair = QStringLiteral("%1/%2").arg(name(c), name(d));
                if (pair == QStringLiteral("11100/QGroupBox") || pair == QStringLiteral("QGroupBox/11100")) continue;
                problems << QStringLiteral("%1 overlaps %2").arg(name(c), name(d));
            }
        }
        QString text;
        int indicator = 0;
        if (auto* label = qobject_cast<const QLabel*>(c)) text = label->text();
        if (auto* button = qobject_cast<const QAbstractButton*>(c)) {
            text = button->text();
            if (button->isCheckable() && !qobject_cast<const QPushButton*>(c)) indicator = 20;
        }
        if (text.isEmpty()) continue;
        const QFontMetrics metrics(c->font());
        if (metrics.horizontalAdvance(text) + indicator > c->width())
            problems << QStringLiteral("\"%1\" needs %2 pixels, has %3").arg(text).arg(metrics.horizontalAdvance(text) + indicator).arg(c->width());
        if (metrics.height() > c->height())
            problems << QStringLiteral("\"%1\" needs %2 pixels high, has %3").arg(text).arg(metrics.height()).arg(c->height());
    }
    return problems;
}

void LoadStandardCatalog(CWexSezMaterialu& catalog)
{
    ReadCatalogFile(std::filesystem::path(VELMORA_STANDARD_CATALOG), catalog);
    catalog.m_bSaved = true;
}

// Control and the template rectangle it must occupy (in dialog units).
struct Placed {
    int id;
    QRect du;
};

void CheckPlaces(const CQyAcDialog& dlg, std::initializer_list<Placed> places)
{
    for (const Placed& p : places) {
        QWidget* control = dlg.GetDlgItem(p.id);
        QVERIFY2(control, qPrintable(QString::number(p.id)));
        QCOMPARE(control->geometry(), dlg.MapDialogRect(p.du));
    }
}

} // namespace

class TestCatalogDialogPictures : public QObject {
    Q_OBJECT

private slots:
    void selectionDialogOnTheStandardCatalog();
    void editingDialogOnTheStandardCatalog();
};

void TestCatalogDialogPictures::selectionDialogOnTheStandardCatalog()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
    LoadStandardCatalog(catalog);
    QVERIFY(catalog.m_materials.size() > 10);

    CQyDlgMatVyber dlg;
    dlg.m_pCatalog = &catalog;
    dlg.m_bSelectProfile = true;
    dlg.show();
    QCOMPARE(dlg.m_listMat->GetItemCount(), static_cast<int>(catalog.m_materials.size()));
    QVERIFY(dlg.m_treeProf->GetCount() > 0);
    QCOMPARE(dlg.size(), dlg.MapDialogRect(QRect(0, 0, 553, 354)).size());
    CheckPlaces(dlg, {{IdcMaterialList, {10, 80, 237, 101}},
                      {IdcProfileTree, {268, 80, 275, 148}},
                      {IdcName, {46, 223, 81, 14}},
                      {IdcComboSdr, {44, 302, 45, 14}},
                      {IdcEditingButton, {291, 330, 81, 14}},
                      {IDOK, {501, 330, 42, 14}}});
    QVERIFY(SaveDialogPicture(dlg, QStringLiteral("selection_dialog.png")));
    QCOMPARE(CatalogLayoutProblems(dlg), QStringList());
    QVERIFY(services.Prompts().empty());

    // Material mode's prompt fits its caption too.
    CQyDlgMatVyber materialMode;
    materialMode.m_pCatalog = &catalog;
    materialMode.show();
    QCOMPARE(CatalogLayoutProblems(materialMode), QStringList());
    QVERIFY(SaveDialogPicture(materialMode, QStringLiteral("selection_dialog_material_mode.png")));
}

void TestCatalogDialogPictures::editingDialogOnTheStandardCatalog()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CWexSezMaterialu catalog;
    LoadStandardCatalog(catalog);

    CQyDlgMatEdituj dlg;
    dlg.m_workCatalog.Assign(catalog);
    dlg.m_pCatalog = &dlg.m_workCatalog;
    dlg.show();
    QCOMPARE(dlg.m_listMat->GetItemCount(), static_cast<int>(catalog.m_materials.size()));
    CheckPlaces(dlg, {{IdcMaterialCaption, {11, 33, 98, 16}},
                      {IdcAddMaterial, {10, 52, 20, 20}},
                      {IdcEditMaterial, {82, 52, 20, 20}},
                      {IdcMaterialList, {10, 80, 237, 101}},
                      {IdcDetail, {71, 260, 198, 14}},
                      {IdcCancelMaterial, {245, 279, 30, 14}},
                      {IdcGenerateProfiles, {399, 53, 56, 18}},
                      {IdcProfileTree, {268, 80, 275, 148}},
                      {IdcUrsMaterial, {425, 265, 118, 14}},
                      {IdcLoadStandard, {291, 330, 81, 14}},
                      {IDOK, {501, 330, 42, 14}}});
    QCOMPARE(CatalogLayoutProblems(dlg), QStringList());
    QVERIFY(SaveDialogPicture(dlg, QStringLiteral("editing_dialog.png")));

    // The editing state, with the store buttons shown.
    QTest::mouseClick(Button(dlg, IdcEditMaterial), Qt::LeftButton);
    QCOMPARE(CatalogLayoutProblems(dlg), QStringList());
    QVERIFY(SaveDialogPicture(dlg, QStringLiteral("editing_dialog_editing.png")));

    // Grown, the lists grow and the rest keeps its place at the edges.
    QTest::keyClick(dlg.m_editName, Qt::Key_Escape);
    dlg.resize(dlg.width() + 200, dlg.height() + 150);
    QCOMPARE(dlg.GetDlgItem(IdcMaterialList)->height(), dlg.MapDialogRect(QRect(10, 80, 237, 101)).height() + 150);
    QCOMPARE(dlg.GetDlgItem(IdcProfileTree)->width(), dlg.MapDialogRect(QRect(268, 80, 275, 148)).width() + 200);
    QCOMPARE(dlg.GetDlgItem(IDOK)->geometry().bottomRight(),
             dlg.MapDialogRect(QRect(501, 330, 42, 14)).bottomRight() + QPoint(200, 150));
    QCOMPARE(CatalogLayoutProblems(dlg), QStringList());
    QVERIFY(SaveDialogPicture(dlg, QStringLiteral("editing_dialog_grown.png")));
}

QTEST_MAIN(TestCatalogDialogPictures)
#include "test_catalogdialog_pictures.moc"
