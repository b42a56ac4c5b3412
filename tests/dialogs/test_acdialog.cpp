// The dialog base: header and rule by scale, controls by ID and dialog units, tooltips,
// minimum size, the OK/Cancel hooks with keys and the close box, and data exchange.

#include "DialogTestSupport.h"
#include "ProgramIcons.h"
#include "QyAcDialog.h"
#include "ScriptedWindowServices.h"
#include "CWexFunkce.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QtTest>

namespace {

class SampleDialog : public CQyAcDialog {
public:
    explicit SampleDialog(const QString& header = QStringLiteral("Dialog pro zadání materiálů"))
        : CQyAcDialog(503, nullptr, header, kIconPipes)
    {
        SetTemplateSize(220, 140);
        AddControl(1001, QRect(10, 60, 80, 14), new QLineEdit);
        AddControl(1002, QRect(100, 60, 60, 10), new QCheckBox(QStringLiteral("Volba")));
        AddControl(1003, QRect(170, 60, 20, 20), new QPushButton(QStringLiteral("+")));
        AddControl(1005, QRect(10, 46, 30, 10), new QRadioButton(QStringLiteral("A")));
        AddControl(1006, QRect(45, 46, 30, 10), new QRadioButton(QStringLiteral("B")));
        AddControl(1010, QRect(10, 82, 200, 30), new QListWidget, AnchorGrow);
        AddControl(IDOK, QRect(120, 120, 40, 14), new QPushButton(QStringLiteral("OK")), AnchorMoveX | AnchorMoveY)
            ->setDefault(true);
        AddControl(IDCANCEL, QRect(170, 120, 40, 14), new QPushButton(QStringLiteral("Zruš")),
                   AnchorMoveX | AnchorMoveY);
        AddToolTip(1001, QStringLiteral("První text"));
        AddToolTip(1001, QStringLiteral("Druhý text"));
        AddToolTip(1999, QStringLiteral("Prvek, který neexistuje"));
    }

    int initCalls = 0;
    int okCalls = 0;
    int cancelCalls = 0;
    bool refuseCancel = false;
    bool throwOnInit = false;
    QString name = QStringLiteral("abc");
    bool flag = true;
    int choice = 1;

protected:
    bool OnInitDialog() override
    {
        ++initCalls;
        if (throwOnInit) throw CWexException("Otevření selhalo", 7, "test");
        return CQyAcDialog::OnInitDialog();
    }
    void OnOK() override
    {
        ++okCalls;
        CQyAcDialog::OnOK();
    }
    void OnCancel() override
    {
        ++cancelCalls;
        if (!refuseCancel) CQyAcDialog::OnCancel();
    }
    void DoDataExchange(bool save) override
    {
        DDX_Text(save, 1001, name);
        DDV_MaxChars(save, 1001, name, 5);
        DDX_Check(save, 1002, flag);
        DDX_Radio(save, 1005, 1006, choice);
    }
};

QColor Background(const QWidget& w)
{
    return w.palette().color(QPalette::Window);
}

} // namespace

class TestAcDialog : public QObject {
    Q_OBJECT

private slots:
    void headerRuleAndTextFollowTheScale_data();
    void headerRuleAndTextFollowTheScale();
    void emptyHeaderPaintsNeitherRuleNorText();
    void controlsAreFoundByIdAndPlacedInDialogUnits();
    void cannotBeMadeSmallerThanAtOpeningAndListsGrow();
    void firstTooltipOfAnIdWins();
    void longTooltipWrapsAt200Pixels();
    void opensOnceBeforeTheFirstShowWithDataInControls();
    void escapeAndCloseBoxRunOnCancel();
    void enterRunsTheDefaultButtonAndExchanges();
    void tooLongTextIsRefusedAndKeptWhole();
    void doModalReturnsTheEndCodeWithoutBlocking();
    void failedOpeningReportsAndDoModalAnswersMinusOne();
    void buttonIconReplacesTheText();
    void exceptionInAClickHandlerIsReported();
};

void TestAcDialog::headerRuleAndTextFollowTheScale_data()
{
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("ruleY");
    QTest::addColumn<int>("textTop");
    QTest::newRow("96 DPI") << 1.0f << 18 << 45 << 18;
    QTest::newRow("144 DPI") << 1.5f << 27 << 67 << 26;
}

void TestAcDialog::headerRuleAndTextFollowTheScale()
{
    QFETCH(float, scale);
    QFETCH(int, x);
    QFETCH(int, ruleY);
    QFETCH(int, textTop);

    const HeaderGeometry g = ComputeHeaderGeometry(scale);
    QCOMPARE(g.x, x);
    QCOMPARE(g.ruleY, ruleY);
    QCOMPARE(g.textTop, textTop);

    SampleDialog dlg;
    dlg.SetDpiScaleOverride(scale);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QImage image = dlg.grab().toImage();
    QCOMPARE(dlg.DpiScale(), scale);

    const int w = image.width();
    QVERIFY(IsDark(image.pixel(x, ruleY)));
    QVERIFY(IsDark(image.pixel(w / 2, ruleY)));
    QVERIFY(IsDark(image.pixel(w - x - 1, ruleY)));
    QVERIFY(!IsDark(image.pixel(x - 1, ruleY)));
    QVERIFY(!IsDark(image.pixel(w - x, ruleY)));
    QVERIFY(!IsDark(image.pixel(w / 2, ruleY - 1)));
    QVERIFY(!IsDark(image.pixel(w / 2, ruleY + 1)));

    // The text lies right of x and between its top and the rule, in the hot-light colour.
    int textPixels = 0;
    for (int py = 0; py < ruleY; ++py) {
        for (int px = 0; px < w; ++px) {
            if (!IsBluish(image.pixel(px, py))) continue;
            QVERIFY2(px >= x && py >= textTop, qPrintable(QStringLiteral("text at %1,%2").arg(px).arg(py)));
            ++textPixels;
        }
    }
    QVERIFY(textPixels > 50);
}

void TestAcDialog::emptyHeaderPaintsNeitherRuleNorText()
{
    SampleDialog dlg{QString()};
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QImage image = dlg.grab().toImage();
    const QRgb background = Background(dlg).rgb();
    const int firstControlTop = dlg.GetDlgItem(1005)->y();
    for (int py = 0; py < firstControlTop; ++py) {
        for (int px = 0; px < image.width(); ++px) QCOMPARE(image.pixel(px, py), background);
    }
}

void TestAcDialog::controlsAreFoundByIdAndPlacedInDialogUnits()
{
    SampleDialog dlg;
    auto* edit = dlg.GetDlgItemAs<QLineEdit>(1001);
    QVERIFY(edit);
    QCOMPARE(edit->objectName(), QStringLiteral("1001"));
    QCOMPARE(dlg.findChild<QLineEdit*>(QStringLiteral("1001")), edit);
    QCOMPARE(dlg.GetDlgCtrlID(edit), 1001);
    QVERIFY(!dlg.GetDlgItem(4242));
    QVERIFY(!dlg.GetDlgItemAs<QPushButton>(1001));

    // Dialog units: x and width by a quarter of the average character width, y and height by
    // an eighth of the character height.
    const QSize base = dlg.DialogBaseUnits();
    QVERIFY(base.width() >= 4 && base.height() >= 10);
    const QRect expected(qRound(10 * base.width() / 4.0), qRound(60 * base.height() / 8.0),
                         qRound(80 * base.width() / 4.0), qRound(14 * base.height() / 8.0));
    QCOMPARE(edit->geometry(), expected);
    QCOMPARE(dlg.size(), dlg.MapDialogRect(QRect(0, 0, 220, 140)).size());
}

void TestAcDialog::cannotBeMadeSmallerThanAtOpeningAndListsGrow()
{
    SampleDialog dlg;
    QCOMPARE(dlg.RecordedMinimumSize(), QSize(0, 0));
    const QSize opening = dlg.size();
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.RecordedMinimumSize(), opening);

    dlg.resize(opening.width() - 50, opening.height() - 40);
    QCOMPARE(dlg.size(), opening);

    QWidget* list = dlg.GetDlgItem(1010);
    QWidget* ok = dlg.GetDlgItem(IDOK);
    QWidget* edit = dlg.GetDlgItem(1001);
    const QRect listBefore = list->geometry();
    const QRect okBefore = ok->geometry();
    const QRect editBefore = edit->geometry();
    dlg.resize(opening.width() + 100, opening.height() + 60);
    QCOMPARE(list->geometry(), listBefore.adjusted(0, 0, 100, 60));
    QCOMPARE(ok->geometry(), okBefore.translated(100, 60));
    QCOMPARE(edit->geometry(), editBefore);
}

void TestAcDialog::firstTooltipOfAnIdWins()
{
    SampleDialog dlg;
    QCOMPARE(dlg.ToolTips().at(1001).text, QStringLiteral("První text"));
    QCOMPARE(dlg.ToolTips().at(1001).maxWidth, 200);
    QCOMPARE(dlg.AddToolTip(1001, QStringLiteral("Třetí text")).text, QStringLiteral("První text"));

    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QString tip = dlg.GetDlgItem(1001)->toolTip();
    QVERIFY(tip.contains(QStringLiteral("První text")));
    QVERIFY(!tip.contains(QStringLiteral("Druhý")));
    QVERIFY(dlg.GetDlgItem(1002)->toolTip().isEmpty());
}

void TestAcDialog::longTooltipWrapsAt200Pixels()
{
    SampleDialog dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    auto shownTip = [&](const QString& text) {
        QToolTip::showText(dlg.mapToGlobal(QPoint(20, 20)), CQyAcDialog::ToolTipMarkup({text, 200}), &dlg);
        QLabel* label = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->inherits("QTipLabel") && w->isVisible()) label = qobject_cast<QLabel*>(w);
        }
        return label;
    };

    QLabel* shortTip = shownTip(QStringLiteral("Seznam profilů"));
    QVERIFY(shortTip);
    const int oneLine = shortTip->height();
    QVERIFY(shortTip->width() < 200);

    QLabel* longTip = shownTip(QStringLiteral(
        "Materiál je vhodný pro inženýrské sítě, přípojky a rozvody v zemi, a to i pro velmi dlouhé trasy"));
    QVERIFY(longTip);
    QVERIFY2(longTip->width() <= 220, qPrintable(QString::number(longTip->width())));
    QVERIFY(longTip->height() > oneLine * 3 / 2);
    QToolTip::hideText();
}

void TestAcDialog::opensOnceBeforeTheFirstShowWithDataInControls()
{
    SampleDialog dlg;
    QCOMPARE(dlg.initCalls, 0);
    dlg.show();
    QCOMPARE(dlg.initCalls, 1);
    QCOMPARE(dlg.GetDlgItemAs<QLineEdit>(1001)->text(), QStringLiteral("abc"));
    QVERIFY(dlg.GetDlgItemAs<QCheckBox>(1002)->isChecked());
    QVERIFY(dlg.GetDlgItemAs<QRadioButton>(1006)->isChecked());
    QVERIFY(!dlg.windowIcon().isNull());
    dlg.hide();
    dlg.show();
    QCOMPARE(dlg.initCalls, 1);
}

void TestAcDialog::escapeAndCloseBoxRunOnCancel()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    {
        SampleDialog dlg;
        dlg.show();
        QTest::keyClick(dlg.GetDlgItem(1001), Qt::Key_Escape);
        QCOMPARE(dlg.cancelCalls, 1);
        QCOMPARE(dlg.result(), int(IDCANCEL));
        QVERIFY(!dlg.isVisible());
    }
    {
        SampleDialog dlg;
        dlg.show();
        dlg.close();
        QCOMPARE(dlg.cancelCalls, 1);
        QVERIFY(!dlg.isVisible());
    }
    {
        // A dialog whose OnCancel does not end it stays open.
        SampleDialog dlg;
        dlg.refuseCancel = true;
        dlg.show();
        dlg.close();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.cancelCalls, 2);
        QVERIFY(dlg.isVisible());
    }
    {
        SampleDialog dlg;
        dlg.show();
        QTest::mouseClick(dlg.GetDlgItem(IDCANCEL), Qt::LeftButton);
        QCOMPARE(dlg.cancelCalls, 1);
        QCOMPARE(dlg.result(), int(IDCANCEL));
    }
}

void TestAcDialog::enterRunsTheDefaultButtonAndExchanges()
{
    SampleDialog dlg;
    dlg.show();
    auto* edit = dlg.GetDlgItemAs<QLineEdit>(1001);
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("xyz"));
    QTest::mouseClick(dlg.GetDlgItem(1002), Qt::LeftButton);
    QTest::mouseClick(dlg.GetDlgItem(1005), Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(dlg.okCalls, 1);
    QCOMPARE(dlg.result(), int(IDOK));
    QCOMPARE(dlg.name, QStringLiteral("xyz"));
    QCOMPARE(dlg.flag, false);
    QCOMPARE(dlg.choice, 0);

    // Typing stops at the limit the exchange set.
    SampleDialog limited;
    limited.name.clear();
    limited.show();
    QTest::keyClicks(limited.GetDlgItem(1001), QStringLiteral("abcdefgh"));
    QCOMPARE(limited.GetDlgItemAs<QLineEdit>(1001)->text(), QStringLiteral("abcde"));
}

void TestAcDialog::tooLongTextIsRefusedAndKeptWhole()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    SampleDialog dlg;
    dlg.name = QStringLiteral("abcdefg");
    dlg.show();
    auto* edit = dlg.GetDlgItemAs<QLineEdit>(1001);
    QCOMPARE(edit->text(), QStringLiteral("abcdefg"));

    QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton);
    QVERIFY(dlg.isVisible());
    QCOMPARE(services.Prompts().size(), std::size_t(1));
    QCOMPARE(services.Prompts()[0].Text(), std::string("Zadejte nejvýše 5 znaků."));
    QCOMPARE(services.Prompts()[0].icon, MessageIcon::Warning);
    QCOMPARE(dlg.focusWidget(), edit);

    edit->setCursorPosition(edit->text().size());
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(IDOK));
    QCOMPARE(dlg.name, QStringLiteral("abcde"));
}

void TestAcDialog::doModalReturnsTheEndCodeWithoutBlocking()
{
    {
        SampleDialog dlg;
        WhenModalShown([](QWidget* w) { static_cast<CQyAcDialog*>(w)->EndDialog(42); });
        QCOMPARE(dlg.DoModal(), 42);
        QCOMPARE(dlg.initCalls, 1);
    }
    {
        SampleDialog dlg;
        WhenModalShown([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(dlg.DoModal(), int(IDCANCEL));
    }
}

void TestAcDialog::failedOpeningReportsAndDoModalAnswersMinusOne()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    SampleDialog dlg;
    dlg.throwOnInit = true;
    QCOMPARE(dlg.DoModal(), -1);
    QCOMPARE(services.Prompts().size(), std::size_t(1));
    QCOMPARE(services.Prompts()[0].Title(), std::string("Program vyvolal výjimku"));
    QVERIFY(services.Prompts()[0].Text().find("Otevření selhalo") == 0);
}

void TestAcDialog::buttonIconReplacesTheText()
{
    SampleDialog dlg;
    QVERIFY(dlg.SetButtonIcon(1003, kIconAdd));
    auto* button = dlg.GetDlgItemAs<QPushButton>(1003);
    QVERIFY(button->text().isEmpty());
    QCOMPARE(button->accessibleName(), QStringLiteral("+"));
    QCOMPARE(button->iconSize(), QSize(24, 24));
    QVERIFY(!button->icon().pixmap(24, 24).isNull());
    QVERIFY(!dlg.SetButtonIcon(1001, kIconAdd)); // an edit is no button
    QVERIFY(!dlg.SetButtonIcon(1003, 4711));     // no such icon
    for (int id : {kIconDelete, kIconEdit, kIconAdd, kIconCopy, kIconPipes})
        QVERIFY(!LoadProgramIcon(id).isNull());
}

void TestAcDialog::exceptionInAClickHandlerIsReported()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    SampleDialog dlg;
    QVERIFY(dlg.OnClicked(1003, [] { throw CWexException("Chyba tlačítka", 12, "test"); }));
    QVERIFY(!dlg.OnClicked(1001, [] {}));
    dlg.show();
    QTest::mouseClick(dlg.GetDlgItem(1003), Qt::LeftButton);
    QCOMPARE(services.Prompts().size(), std::size_t(1));
    QVERIFY(services.Prompts()[0].Text().find("Chyba tlačítka") == 0);
    QVERIFY(dlg.isVisible());
}

QTEST_MAIN(TestAcDialog)
#include "test_acdialog.moc"
