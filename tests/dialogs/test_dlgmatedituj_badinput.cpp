// Bad input through the editing dialog, as a user can paste it: overlong texts, control
// characters, huge, tiny and negative numbers, "nan"/"inf" and empty text, into every
// material field, every editable cell of the profile table and both price-list code edits.
// Whatever the dialog takes or refuses, it must not crash, must not let an exception out of a
// handler, and must never store what the catalog reader would later correct or refuse: after
// every attempt the working catalog is written, read back without a single message, and
// written again to the same bytes.

#include "CatalogDialogTestSupport.h"
#include "CheckedEdit.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"

#include "CWexArchive.h"
#include "CWexFunkce.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QtTest>

#include <cmath>
#include <vector>

using namespace MatDlgId;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kDn8 = 0, kDn100 = 11, kDn1200 = 27;

struct BadText {
    const char* what;
    QString text;
};

QList<BadText> BadTexts()
{
    QString controls = QStringLiteral("A\tB\nC\rD");
    controls += QChar(0x01);
    controls += QChar(0x7F);
    controls += QChar(0x00);
    controls += QChar(0x1B);
    controls += QStringLiteral("E");
    return {
        {"overlong", QString(5000, QLatin1Char('W'))},
        {"overlong digits", QString(400, QLatin1Char('9'))},
        {"a page of digits", QString(50000, QLatin1Char('7'))},
        {"control characters", controls},
        {"only control characters", QString(QChar(0x01)) + QChar(0x08)},
        {"empty", QString()},
        {"blanks", QStringLiteral("   ")},
        {"negative", QStringLiteral("-5")},
        {"negative zero", QStringLiteral("-0")},
        {"zero", QStringLiteral("0")},
        {"negative huge", QStringLiteral("-99999999999")},
        {"huge integer", QStringLiteral("99999999999")},
        {"beyond int", QStringLiteral("2147483648")},
        {"largest float", QStringLiteral("340282350000000000000000000000000000000")},
        {"beyond float", QStringLiteral("1") + QString(39, QLatin1Char('0'))},
        {"tiny", QStringLiteral("0.") + QString(50, QLatin1Char('0')) + QStringLiteral("1")},
        {"exponent", QStringLiteral("1e39")},
        {"nan", QStringLiteral("nan")},
        {"NaN", QStringLiteral("NaN")},
        {"inf", QStringLiteral("inf")},
        {"minus inf", QStringLiteral("-inf")},
        {"mixed", QStringLiteral("12abc")},
        {"large but fitting", QStringLiteral("9999")},
        {"five digits", QStringLiteral("12345")},
        {"decimal", QStringLiteral("12.75")},
    };
}

Bytes Write(CWexSezMaterialu& catalog)
{
    Bytes bytes;
    MemorySink sink(bytes);
    CWexArchive ar(sink);
    catalog.Serialize(ar, false);
    ar.Close();
    return bytes;
}

// What is wrong with the catalog as the reader sees it; empty when nothing.
QString ReaderFault(CWexSezMaterialu& catalog)
{
    const Bytes bytes = Write(catalog);
    ScriptedWindowServices reader;
    ScopedWindowServices scope(reader);
    CWexSezMaterialu back;
    try {
        MemorySource source(bytes);
        CWexArchive ar(source);
        back.ReadFrom(ar, false);
    } catch (const std::exception& e) {
        return QStringLiteral("the reader refuses it: ") + QString::fromUtf8(e.what());
    }
    if (!reader.Prompts().empty())
        return QStringLiteral("the reader corrects it: ") + QString::fromStdString(reader.Prompts()[0].Text());
    if (Write(back) != bytes) return QStringLiteral("it reads back differently");
    // What the records promise beyond what the reader checks.
    for (const auto& [name, m] : catalog.m_materials) {
        const QString which = QString::fromStdU16String(name).left(30);
        if (name.size() > CWexMaterial::kMaxNameLength) return QStringLiteral("a name over 20 characters: ") + which;
        if (m->m_strManufacturer.size() > CWexMaterial::kMaxManufacturerLength)
            return QStringLiteral("a manufacturer over 25 characters: ") + which;
        if (!std::isfinite(m->m_fRoughness)) return QStringLiteral("a roughness that is no number: ") + which;
    }
    return {};
}

struct BadInputDialog {
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu catalog;
    CQyDlgMatEdituj dlg;
    int attempts = 0;

    BadInputDialog()
    {
        FillCatalog(catalog, {
                                 {"A kruh", 3, 31, {kDn8, kDn100, kDn1200}, DescOuterXWall},
                                 {"B obdelnik", 3, 31, {kDn8, kDn100, kDn1200}, DescOuterXWall},
                                 {"C podle DN", 3, 31, {kDn8, kDn100, kDn1200}, DescByDn},
                                 {"D vlastni", 3, 31, {kDn8, kDn100, kDn1200}, DescUserDefined},
                             });
        for (auto& [name, material] : catalog.m_materials) {
            material->m_nPN = 2;
            material->m_nSDR = 3;
        }
        catalog.Find(u"B obdelnik")->m_nShape = 4;
        CWexMaterial* own = catalog.Find(u"D vlastni");
        std::copy_n(u"Tr", 3, own->m_szPrefix);
        std::copy_n(u"mm", 3, own->m_szSuffix);
        own->UpdateAllLabels();
        catalog.m_bSaved = true;
        QVERIFY(OpenEditingOn(dlg, catalog));
    }

    CTreeListCtrl& Tree() { return *dlg.m_treeProf; }
    void Click(int id) { QTest::mouseClick(Button(dlg, id), Qt::LeftButton); }
    int RowOf(const char* name) { return static_cast<int>(ListedNames(*dlg.m_listMat).indexOf(QString::fromUtf8(name))); }

    // Pastes as the user does: the clipboard and Ctrl+V, over the whole text.
    static void Paste(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }

    // Checks the working catalog after an attempt; false (with the failure recorded) on a fault.
    bool Sound(const QString& attempt)
    {
        ++attempts;
        const QString fault = ReaderFault(dlg.m_workCatalog);
        if (!fault.isEmpty()) {
            QTest::qFail(qPrintable(attempt + QStringLiteral(": ") + fault), __FILE__, __LINE__);
            return false;
        }
        // An exception report may say what was refused, never leak the library's own words.
        for (const RecordedPrompt& prompt : services.Prompts()) {
            const QString text = QString::fromStdString(prompt.Text());
            for (const char* raw : {"std::", "basic_string", "stod", "bad_alloc", "out of range", "invalid"}) {
                if (text.contains(QString::fromUtf8(raw))) {
                    QTest::qFail(qPrintable(attempt + QStringLiteral(": the user saw ") + text), __FILE__, __LINE__);
                    return false;
                }
            }
        }
        services.ClearPrompts();
        return true;
    }
};

TreeListItem* RowOfDn(CTreeListCtrl& tree, int dn)
{
    for (TreeListItem* item = tree.GetRootItem(); item; item = tree.GetNextItem(item, TLGN_NEXT))
        if (static_cast<CWexProfil*>(tree.GetItemData(item))->m_nDN == dn) return item;
    return nullptr;
}

} // namespace

class TestDlgMatEditujBadInput : public QObject {
    Q_OBJECT

private slots:
    void materialFields();
    void newMaterialName();
    void profileCells();
    void priceListCodes();
    void sizesWithoutALabelInTheFormatAreNotTaken();
};

void TestDlgMatEditujBadInput::materialFields()
{
    BadInputDialog d;
    int stored = 0;
    const int fields[] = {IdcName, IdcPopis, IdcManufacturer, IdcDetail, IdcRoughness};
    for (int field : fields) {
        for (const BadText& bad : BadTexts()) {
            for (const char* material : {"A kruh", "D vlastni"}) {
                const QString attempt = QStringLiteral("field %1, %2, %3").arg(field).arg(bad.what).arg(material);
                CWexMaterial* edited = d.dlg.m_workCatalog.Find(U16(material));
                QVERIFY2(edited, qPrintable(attempt));
                ClickRow(*d.dlg.m_listMat, d.RowOf(material));
                d.Click(IdcEditMaterial);
                QVERIFY2(d.dlg.m_nEditMode == CQyDlgMatEdituj::EditEditing, qPrintable(attempt));
                d.Paste(d.dlg.GetDlgItemAs<QLineEdit>(field), bad.text);
                d.Click(IdcSaveMaterial);
                if (d.dlg.m_nEditMode == CQyDlgMatEdituj::EditBrowsing) ++stored;
                else d.Click(IdcCancelMaterial);
                QVERIFY2(d.dlg.m_nEditMode == CQyDlgMatEdituj::EditBrowsing, qPrintable(attempt));
                if (!d.Sound(attempt)) return;
                // A material renamed by the paste gets its name back for the next attempt.
                if (edited->m_strName != U16(material)) {
                    QVERIFY(d.dlg.m_workCatalog.Rename(U16(material), edited));
                    d.dlg.m_listMat->SortItems([](CWexMaterial* a, CWexMaterial* b) { return CompareMaterialNames(a, b, 0); });
                }
            }
        }
    }
    qInfo("%d pasted texts tried in the material fields, %d stored", d.attempts, stored);
    QVERIFY(stored > d.attempts / 2); // most are stored (or the test would try nothing)
}

void TestDlgMatEditujBadInput::newMaterialName()
{
    BadInputDialog d;
    int stored = 0;
    for (const BadText& bad : BadTexts()) {
        for (int field : {IdcName, IdcManufacturer, IdcRoughness}) {
            const QString attempt = QStringLiteral("new material, field %1, %2").arg(field).arg(bad.what);
            d.Click(IdcAddMaterial);
            if (field != IdcName) QTest::keyClicks(d.dlg.m_editName, QStringLiteral("Novy"));
            d.Paste(d.dlg.GetDlgItemAs<QLineEdit>(field), bad.text);
            d.Click(IdcSaveMaterial);
            if (d.dlg.m_nEditMode == CQyDlgMatEdituj::EditBrowsing) ++stored;
            else d.Click(IdcCancelMaterial);
            QVERIFY2(d.dlg.m_nEditMode == CQyDlgMatEdituj::EditBrowsing, qPrintable(attempt));
            if (!d.Sound(attempt)) return;
            // The next one is new again.
            if (d.dlg.m_workCatalog.Find(u"Novy")) {
                ClickRow(*d.dlg.m_listMat, d.RowOf("Novy"));
                d.Click(IdcDeleteMaterial);
            }
        }
    }
    qInfo("%d pasted texts tried in new materials, %d stored", d.attempts, stored);
    QVERIFY(stored > d.attempts / 2);
}

void TestDlgMatEditujBadInput::profileCells()
{
    BadInputDialog d;
    int accepted = 0;
    for (const char* material : {"A kruh", "B obdelnik", "C podle DN", "D vlastni"}) {
        ClickRow(*d.dlg.m_listMat, d.RowOf(material));
        CWexMaterial* m = d.dlg.m_workCatalog.Find(U16(material));
        QVERIFY(m);
        const std::vector<int> columns = m->m_nShape == 0 ? std::vector<int>{1, 2, 3} : std::vector<int>{1, 2, 3, 5};
        for (int dn : {kDn8, kDn100, kDn1200}) {
            for (int column : columns) {
                for (const BadText& bad : BadTexts()) {
                    const QString attempt =
                        QStringLiteral("%1, DN index %2, column %3, %4").arg(material).arg(dn).arg(column).arg(bad.what);
                    CWexProfil* p = m->FindProfile(dn);
                    QVERIFY2(p, qPrintable(attempt));
                    p->m_fInnerDiameter = 100.0f;
                    p->m_fWall = 5.0f;
                    p->m_nWidth = 50;
                    p->UpdateLabels();
                    d.Tree().setFocus();
                    d.Tree().SelectItem(RowOfDn(d.Tree(), dn), column);
                    QTest::keyClick(&d.Tree(), Qt::Key_Return);
                    auto* editor = qobject_cast<CCheckedEdit*>(d.Tree().Editor());
                    QVERIFY2(editor, qPrintable(attempt));
                    d.Paste(editor, bad.text);
                    QTest::keyClick(editor, Qt::Key_Return);
                    if (d.Tree().IsEditing()) {
                        QTest::keyClick(d.Tree().Editor(), Qt::Key_Escape);
                        d.Tree().EndEdit(false);
                    } else {
                        ++accepted;
                    }
                    QVERIFY2(!d.Tree().IsEditing(), qPrintable(attempt));
                    // What the row shows is what the profile holds.
                    QVERIFY2(d.Tree().GetItemText(RowOfDn(d.Tree(), dn), 0) == QString::fromStdU16String(p->m_szLabel),
                             qPrintable(attempt));
                    if (!d.Sound(attempt)) return;
                }
            }
        }
    }
    qInfo("%d pasted cell texts tried, %d taken", d.attempts, accepted);
}

void TestDlgMatEditujBadInput::priceListCodes()
{
    BadInputDialog d;
    ClickRow(*d.dlg.m_listMat, d.RowOf("A kruh"));
    for (const BadText& bad : BadTexts()) {
        for (int field : {IdcUrsAssembly, IdcUrsMaterial}) {
            const QString attempt = QStringLiteral("code %1, %2").arg(field).arg(bad.what);
            d.Tree().SelectItem(RowOfDn(d.Tree(), kDn100), 1);
            d.Paste(d.dlg.GetDlgItemAs<QLineEdit>(field), bad.text);
            // Leaving the row stores what it may.
            d.Tree().SelectItem(RowOfDn(d.Tree(), kDn8), 1);
            if (!d.Sound(attempt)) return;
        }
    }
    qInfo("%d pasted codes tried", d.attempts);
}

// An outer diameter of five digits has no short label ("d" and at most four digits) in the
// formats that show the diameter: a change that would give one is refused, and the catalog
// stays readable.
void TestDlgMatEditujBadInput::sizesWithoutALabelInTheFormatAreNotTaken()
{
    BadInputDialog d;
    // A DN that would make the outer diameter 1200 + 2 x 4400.
    ClickRow(*d.dlg.m_listMat, d.RowOf("A kruh"));
    CWexProfil* p = d.dlg.m_workCatalog.Find(u"A kruh")->FindProfile(kDn8);
    p->m_fInnerDiameter = 100.0f;
    p->m_fWall = 4400.0f;
    p->UpdateLabels();
    d.dlg.m_workCatalog.Find(u"A kruh")->RemoveProfile(kDn1200);
    ClickRow(*d.dlg.m_listMat, d.RowOf("C podle DN"));
    ClickRow(*d.dlg.m_listMat, d.RowOf("A kruh"));
    d.Tree().setFocus();
    d.Tree().SelectItem(RowOfDn(d.Tree(), kDn8), 4);
    QTest::keyClick(&d.Tree(), Qt::Key_Return);
    auto* combo = qobject_cast<QComboBox*>(d.Tree().Editor());
    QVERIFY(combo);
    QTest::keyClick(combo, Qt::Key_End);
    QCOMPARE(combo->currentText(), QStringLiteral("DN 1200"));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(p->m_nDN, kDn8);
    QCOMPARE(p->m_fInnerDiameter, 100.0f);
    QCOMPARE(QString::fromStdU16String(p->m_szLabel), QStringLiteral("8900x4400.0"));
    QVERIFY(RowOfDn(d.Tree(), kDn8));
    QVERIFY(!d.services.Prompts().empty()); // the user is told
    QVERIFY(d.Sound("DN 1200 for a wall of 4400"));

    // Described by DN any size has a label; switching to "OD x wall" would give one without.
    CWexMaterial* byDn = d.dlg.m_workCatalog.Find(u"C podle DN");
    byDn->FindProfile(kDn1200)->m_fInnerDiameter = 20000.0f;
    byDn->FindProfile(kDn1200)->UpdateLabels();
    const Bytes before = Write(d.dlg.m_workCatalog);
    ClickRow(*d.dlg.m_listMat, d.RowOf("C podle DN"));
    d.Click(IdcEditMaterial);
    QTest::mouseClick(Button(d.dlg, IdcDescDxT), Qt::LeftButton, {}, QPoint(6, Button(d.dlg, IdcDescDxT)->height() / 2));
    d.Paste(d.dlg.m_editManufacturer, QStringLiteral("Jiny vyrobce"));
    d.Click(IdcSaveMaterial);
    QCOMPARE(d.dlg.m_nEditMode, static_cast<std::int32_t>(CQyDlgMatEdituj::EditEditing));
    QVERIFY(!d.services.Prompts().empty());
    d.Click(IdcCancelMaterial);
    QVERIFY(Write(d.dlg.m_workCatalog) == before); // nothing of the form was taken
    QVERIFY(d.Sound("OD x wall for an inner diameter of 20000"));
}

QTEST_MAIN(TestDlgMatEditujBadInput)
#include "test_dlgmatedituj_badinput.moc"
