// A small dialog built from the whole toolkit, rendered to a PNG in the build folder so that
// its look can be checked by eye: the header with its rule, a caption, icon buttons, a
// tree-list with columns and an open cell editor, and an invalid field in yellow with its
// error balloon.

#include "CheckedEdit.h"
#include "DialogTestSupport.h"
#include "ErrorBalloon.h"
#include "ProgramIcons.h"
#include "QyAcDialog.h"
#include "TreeListCtrl.h"
#include "TreeListTestSupport.h"
#include "WindowServices.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

namespace {

class DemoDialog : public CQyAcDialog, public TreeListOwner {
public:
    DemoDialog() : CQyAcDialog(503, nullptr, QStringLiteral("Dialog pro zadání materiálů"), kIconPipes)
    {
        setWindowTitle(QStringLiteral("Materiály potrubí"));
        SetTemplateSize(330, 190);
        auto* caption = AddControl(11101, QRect(10, 34, 120, 12), new QLabel(QStringLiteral("Profily")));
        caption->setFont(CaptionFont());
        QPalette p = caption->palette();
        p.setColor(QPalette::WindowText, HotLightColor());
        caption->setPalette(p);
        AddControl(11068, QRect(140, 30, 20, 20), new QPushButton(QStringLiteral("+")));
        AddControl(11069, QRect(164, 30, 20, 20), new QPushButton(QStringLiteral("X")));
        AddControl(11049, QRect(10, 54, 310, 80), new QWidget, AnchorGrow);
        AddControl(11109, QRect(10, 145, 50, 10), new QLabel(QStringLiteral("Drsnost [mm]:")));
        roughness = AddControl(11075, QRect(62, 142, 49, 14), new CCheckedEdit);
        roughness->ApplyStandardChecks(InputKind::Integer);
        AddControl(IDCANCEL, QRect(220, 168, 45, 14), new QPushButton(QStringLiteral("Zruš")), AnchorMoveX | AnchorMoveY);
        AddControl(IDOK, QRect(275, 168, 45, 14), new QPushButton(QStringLiteral("OK")), AnchorMoveX | AnchorMoveY)
            ->setDefault(true);
        AddToolTip(11068, QStringLiteral("Přidej profil"));
        AddToolTip(11069, QStringLiteral("Vymaž profil"));
    }

    bool OnInitDialog() override
    {
        CQyAcDialog::OnInitDialog();
        tree = new CTreeListCtrl(this);
        tree->Create(0x50801029, this);
        const char* headers[] = {"Profil", "OD", "Stěna", "ID", "DN"};
        for (int c = 0; c < 5; ++c) tree->InsertColumn(c, FixedColumn(QString::fromUtf8(headers[c]), c == 0 ? 90 : 60));
        tree->SetColumnEditMode(0x905, nullptr);
        tree->SetColumnInputKind(1, 0xFFFFFF02u);
        tree->SetColumnEditMode(0x1105, nullptr);
        tree->SetColumnInputKind(2, 0xFFFFFF04u);
        tree->SetColumnEditMode(0x1905, nullptr);
        tree->SetColumnInputKind(3, 0xFFFFFF04u);
        tree->SetColumnEditMode(0x238D, kDnLabels);
        tree->SetExtendedStyle(0, 0x400F0000);
        for (int r = 0; r < 4; ++r) {
            TreeListItem* item = tree->InsertCallbackItem(reinterpret_cast<void*>(static_cast<std::intptr_t>(r + 1)));
            for (int c = 1; c < 5; ++c) tree->SetItemCallbackText(item, c);
        }
        SetButtonIcon(11069, kIconDelete);
        SetButtonIcon(11068, kIconAdd);
        return true;
    }

    bool OnTreeListGetText(CTreeListCtrl&, const TreeListTextRequest& request, QString& text) override
    {
        const int row = static_cast<int>(reinterpret_cast<std::intptr_t>(request.data)) - 1;
        const double od[] = {110, 125, 160, 200};
        const double wall[] = {5.3, 6.0, 7.7, 9.6};
        switch (request.column) {
        case -1: text = QStringLiteral("%1x%2").arg(od[row]).arg(wall[row], 0, 'f', 1); break;
        case 1: text = QString::number(od[row], 'f', 0); break;
        case 2: text = QString::number(wall[row], 'f', 2); break;
        case 3: text = QString::number(od[row] - 2 * wall[row], 'f', 1); break;
        case 4: text = QString::fromUtf16(kDnLabels[row]); break;
        default: return false;
        }
        return true;
    }

    CTreeListCtrl* tree = nullptr;
    CCheckedEdit* roughness = nullptr;
};

} // namespace

class TestDemo : public QObject {
    Q_OBJECT

private slots:
    void rendersTheWholeToolkit();
};

void TestDemo::rendersTheWholeToolkit()
{
    DemoDialog dlg;
    dlg.SetDpiScaleOverride(1.0f);
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));

    // The invalid field: a lone minus.
    dlg.roughness->setFocus();
    QTest::keyClicks(dlg.roughness, QStringLiteral("-x"));
    QVERIFY(!dlg.roughness->valid);
    QVERIFY(dlg.roughness->IsBalloonVisible());

    // An open cell editor in the wall column of the second row.
    dlg.tree->setFocus();
    dlg.tree->SelectItem(dlg.tree->GetNextItem(dlg.tree->GetRootItem(), TLGN_NEXT), 2);
    QTest::keyClick(dlg.tree, Qt::Key_Return);
    QVERIFY(dlg.tree->IsEditing());
    QTest::keyClicks(dlg.tree->Editor(), QStringLiteral("6,5"));
    dlg.roughness->ShowBalloon(); // keep the field's balloon in the picture

    QImage image = dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QPainter painter(&image);
    const CErrorBalloon* balloon = dlg.roughness->Balloon();
    painter.drawPixmap(balloon->mapToGlobal(QPoint(0, 0)) - dlg.mapToGlobal(QPoint(0, 0)),
                       const_cast<CErrorBalloon*>(balloon)->grab());
    painter.end();
    const QString path = QStringLiteral(VELMORA_TEST_OUTPUT_DIR "/toolkit-demo.png");
    QVERIFY(image.save(path));

    // What the picture must show: the rule, the yellow field, the editor over its cell.
    QVERIFY(IsDark(image.pixel(image.width() / 2, 45)));
    const QRect field = dlg.roughness->geometry();
    QCOMPARE(QColor(image.pixel(field.right() - 5, field.center().y())), QColor(255, 255, 160));
    QCOMPARE(qobject_cast<QLineEdit*>(dlg.tree->Editor())->text(), QStringLiteral("6.5"));
    qInfo("rendered %s", qPrintable(path));
}

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
