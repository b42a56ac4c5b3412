#pragma once
// Catalogs and clicks for the tests of the catalog dialogs.

#include "CWexMaterial.h"
#include "CWexProfil.h"
#include "CWexSezMaterialu.h"
#include "MaterialListCtrl.h"
#include "QyDlgMatEdituj.h"
#include "QyDlgMatVyber.h"
#include "TreeListCtrl.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLineEdit>
#include <QStringList>
#include <QtTest>

#include <initializer_list>
#include <memory>
#include <string>

// What a test material has besides its name.
struct TestMaterial {
    const char* name;
    std::uint32_t group = 3;
    std::uint32_t purposes = 31;
    std::initializer_list<int> dns = {};
    std::int32_t descMode = DescOuterXWall;
    const char* detail = "";
    const char* manufacturer = "";
};

inline std::u16string U16(const char* utf8)
{
    return QString::fromUtf8(utf8).toStdU16String();
}

inline CWexMaterial* AddMaterial(CWexSezMaterialu& catalog, const TestMaterial& m)
{
    auto material = std::make_unique<CWexMaterial>(&catalog, U16(m.name), MaterialFilter{m.group, m.purposes});
    material->m_nDescMode = m.descMode;
    material->m_strDetail = U16(m.detail);
    material->m_strManufacturer = U16(m.manufacturer);
    material->m_strDrawingName = U16(m.name);
    material->m_fRoughness = 0.01f;
    for (int dn : m.dns) material->AddProfile(dn);
    CWexMaterial* raw = material.get();
    catalog.Insert(std::move(material));
    return raw;
}

inline void FillCatalog(CWexSezMaterialu& catalog, std::initializer_list<TestMaterial> materials)
{
    for (const TestMaterial& m : materials) AddMaterial(catalog, m);
    catalog.m_bSaved = true;
}

// The names of the listed rows, top to bottom.
inline QStringList ListedNames(const CMaterialListCtrl& list)
{
    QStringList names;
    for (int row = 0; row < list.GetItemCount(); ++row) names << list.GetItemText(row, 0);
    return names;
}

// The tree-list's rows: the texts of column `column` (0 the tree column).
inline QStringList TreeTexts(CTreeListCtrl& tree, int column)
{
    QStringList texts;
    for (TreeListItem* item = tree.GetRootItem(); item; item = tree.GetNextItem(item, TLGN_NEXT))
        texts << tree.GetItemText(item, column);
    return texts;
}

inline QAbstractButton* Button(const CQyAcDialog& dlg, int id)
{
    return dlg.GetDlgItemAs<QAbstractButton>(id);
}

inline QString EditText(const CQyAcDialog& dlg, int id)
{
    auto* edit = dlg.GetDlgItemAs<QLineEdit>(id);
    return edit ? edit->text() : QStringLiteral("<no edit %1>").arg(id);
}

// Clicks a list row (single or double click), as the user does.
inline void ClickRow(CMaterialListCtrl& list, int row, bool doubleClick = false)
{
    list.scrollTo(list.Model()->index(row, 0));
    const QPoint where = list.visualRect(list.Model()->index(row, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, where);
    if (doubleClick) QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, where);
}

// Clicks the tree-list's row `row` (counted from the top) in column 0.
inline void ClickTreeRow(CTreeListCtrl& tree, int row, bool doubleClick = false)
{
    const QModelIndex index = tree.model()->index(row, 0);
    tree.scrollTo(index);
    const QPoint where = tree.visualRect(index).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, where);
    if (doubleClick) QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, where);
}

// Ids of every control in a list that the widget with that id matches `test`; the others.
template <class Test>
QStringList IdsFailing(const CQyAcDialog& dlg, std::initializer_list<int> ids, Test test)
{
    QStringList failing;
    for (int id : ids) {
        QWidget* control = dlg.GetDlgItem(id);
        if (!control || !test(control)) failing << QString::number(id);
    }
    return failing;
}

// Opens the editing dialog as the host does: on a working copy of `catalog`, to which OK hands
// the work back. True once the dialog is the active window.
inline bool OpenEditingOn(CQyDlgMatEdituj& dlg, CWexSezMaterialu& catalog)
{
    dlg.m_workCatalog.Assign(catalog);
    dlg.m_pTargetCatalog = &catalog;
    dlg.m_pCatalog = &dlg.m_workCatalog;
    dlg.show();
    dlg.activateWindow();
    return QTest::qWaitForWindowActive(&dlg);
}
