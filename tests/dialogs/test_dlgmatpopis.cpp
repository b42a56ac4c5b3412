// The description format dialog: prefix and suffix of at most four characters, the choice
// of the diameter, and how it looks.

#include "DialogLayoutCheck.h"
#include "QyDlgMatPopis.h"
#include "ScriptedWindowServices.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

constexpr int kPrefix = 11061;
constexpr int kSuffix = 11062;
constexpr int kOuter = 11015;
constexpr int kInner = 11016;

// Types `text` key by key; unlike QTest::keyClicks it takes letters beyond Latin-1.
void TypeText(QWidget* widget, const QString& text)
{
    for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void ClickOk(CQyDlgMatPopis& dlg)
{
    QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton);
}

// Unchecks both radios, which a user cannot do; an auto-exclusive radio refuses to be
// unchecked while it stays exclusive.
void UncheckBoth(CQyDlgMatPopis& dlg)
{
    for (int id : {kOuter, kInner}) {
        auto* radio = dlg.GetDlgItemAs<QRadioButton>(id);
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }
}

} // namespace

class TestDlgMatPopis : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheCallersFormat();
    void emptyPrefixAndSuffixAreAccepted();
    void aFifthCharacterCannotBeTyped_data();
    void aFifthCharacterCannotBeTyped();
    void aLongerTextIsRefusedOnOk_data();
    void aLongerTextIsRefusedOnOk();
    void diameterChoiceBothWays_data();
    void diameterChoiceBothWays();
    void cancelHandsNothingBack();
    void looksTidy();
};

void TestDlgMatPopis::opensWithTheCallersFormat()
{
    CQyDlgMatPopis dlg;
    dlg.m_strPrefix = QStringLiteral("Ø");
    dlg.m_strSuffix = QStringLiteral(" mm");
    dlg.show();
    QVERIFY(!dlg.parentWidget());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Zadej formát popisu"));
    auto* prefix = dlg.GetDlgItemAs<QLineEdit>(kPrefix);
    auto* suffix = dlg.GetDlgItemAs<QLineEdit>(kSuffix);
    QVERIFY(prefix && suffix);
    QCOMPARE(prefix->text(), QStringLiteral("Ø"));
    QCOMPARE(suffix->text(), QStringLiteral(" mm"));
    QVERIFY(dlg.GetDlgItemAs<QPushButton>(IDOK)->isDefault());
    QCOMPARE(dlg.GetDlgItemAs<QPushButton>(IDCANCEL)->text(), QStringLiteral("Cancel"));
    // Typing goes into the prefix first.
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QCOMPARE(QApplication::focusWidget(), prefix);
}

void TestDlgMatPopis::emptyPrefixAndSuffixAreAccepted()
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CQyDlgMatPopis dlg;
    dlg.m_strPrefix = QStringLiteral("DN");
    dlg.m_strSuffix = QStringLiteral("x");
    dlg.show();
    for (int id : {kPrefix, kSuffix}) {
        auto* edit = dlg.GetDlgItemAs<QLineEdit>(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
    }
    QTest::keyClick(dlg.GetDlgItem(kSuffix), Qt::Key_Return);
    QCOMPARE(dlg.result(), int(IDOK));
    QVERIFY(dlg.m_strPrefix.isEmpty());
    QVERIFY(dlg.m_strSuffix.isEmpty());
    QCOMPARE(dlg.m_nDiameterKind, 0);
    QVERIFY(services.Prompts().empty());
}

void TestDlgMatPopis::aFifthCharacterCannotBeTyped_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("prefix, empty") << kPrefix << QString() << QStringLiteral("abcde") << QStringLiteral("abcd");
    QTest::newRow("suffix, empty") << kSuffix << QString() << QStringLiteral("ěščřž") << QStringLiteral("ěščř");
    QTest::newRow("suffix, full") << kSuffix << QStringLiteral("mmmm") << QStringLiteral("x") << QStringLiteral("mmmm");
}

void TestDlgMatPopis::aFifthCharacterCannotBeTyped()
{
    QFETCH(int, id);
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, after);

    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CQyDlgMatPopis dlg;
    (id == kPrefix ? dlg.m_strPrefix : dlg.m_strSuffix) = before;
    dlg.show();
    auto* edit = dlg.GetDlgItemAs<QLineEdit>(id);
    edit->setFocus();
    edit->end(false);
    TypeText(edit, typed);
    QCOMPARE(edit->text(), after);

    // Pasting does not get past the limit either.
    QGuiApplication::clipboard()->setText(QStringLiteral("123456"));
    edit->selectAll();
    QTest::keySequence(edit, QKeySequence::Paste);
    QCOMPARE(edit->text(), QStringLiteral("1234"));

    ClickOk(dlg);
    QCOMPARE(dlg.result(), int(IDOK));
    QCOMPARE(id == kPrefix ? dlg.m_strPrefix : dlg.m_strSuffix, QStringLiteral("1234"));
    QVERIFY(services.Prompts().empty());
}

void TestDlgMatPopis::aLongerTextIsRefusedOnOk_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("prefix") << kPrefix;
    QTest::newRow("suffix") << kSuffix;
}

void TestDlgMatPopis::aLongerTextIsRefusedOnOk()
{
    QFETCH(int, id);
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    CQyDlgMatPopis dlg;
    (id == kPrefix ? dlg.m_strPrefix : dlg.m_strSuffix) = QStringLiteral("ABCDEF");
    dlg.show();
    auto* edit = dlg.GetDlgItemAs<QLineEdit>(id);
    QCOMPARE(edit->text(), QStringLiteral("ABCDEF")); // shown whole, not cut unseen

    ClickOk(dlg);
    QVERIFY(dlg.isVisible());
    QCOMPARE(services.Prompts().size(), std::size_t(1));
    const RecordedPrompt& prompt = services.Prompts()[0];
    QCOMPARE(prompt.Text(), std::string("Zadejte nejvýše 4 znaky."));
    QCOMPARE(prompt.Title(), std::string("Materiály potrubí"));
    QCOMPARE(prompt.icon, MessageIcon::Warning);
    QCOMPARE(dlg.focusWidget(), edit);
    QCOMPARE(edit->text(), QStringLiteral("ABCDEF"));

    // The user shortens it and OK goes through.
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    ClickOk(dlg);
    QCOMPARE(dlg.result(), int(IDOK));
    QCOMPARE(id == kPrefix ? dlg.m_strPrefix : dlg.m_strSuffix, QStringLiteral("ABCD"));
    QCOMPARE(services.Prompts().size(), std::size_t(1));
}

void TestDlgMatPopis::diameterChoiceBothWays_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("checkedAtOpening"); // 0 = none
    QTest::addColumn<int>("clicked");          // 0 = no click, -1 = uncheck both
    QTest::addColumn<int>("handedBack");
    QTest::newRow("outer kept") << 0 << kOuter << 0 << 0;
    QTest::newRow("inner kept") << 1 << kInner << 0 << 1;
    QTest::newRow("outer to inner") << 0 << kOuter << kInner << 1;
    QTest::newRow("inner to outer") << 1 << kInner << kOuter << 0;
    QTest::newRow("neither checked") << 0 << kOuter << -1 << 1;
    QTest::newRow("unknown kind opens unchecked") << 5 << 0 << 0 << 1;
}

void TestDlgMatPopis::diameterChoiceBothWays()
{
    QFETCH(int, kind);
    QFETCH(int, checkedAtOpening);
    QFETCH(int, clicked);
    QFETCH(int, handedBack);

    CQyDlgMatPopis dlg;
    dlg.m_nDiameterKind = kind;
    dlg.show();
    auto* outer = dlg.GetDlgItemAs<QRadioButton>(kOuter);
    auto* inner = dlg.GetDlgItemAs<QRadioButton>(kInner);
    QVERIFY(outer && inner);
    QCOMPARE(outer->isChecked(), checkedAtOpening == kOuter);
    QCOMPARE(inner->isChecked(), checkedAtOpening == kInner);

    if (clicked > 0) {
        QTest::mouseClick(dlg.GetDlgItem(clicked), Qt::LeftButton);
        QVERIFY(dlg.GetDlgItemAs<QRadioButton>(clicked)->isChecked());
        QVERIFY(!dlg.GetDlgItemAs<QRadioButton>(clicked == kOuter ? kInner : kOuter)->isChecked());
    } else if (clicked < 0) {
        UncheckBoth(dlg);
    }
    ClickOk(dlg);
    QCOMPARE(dlg.result(), int(IDOK));
    QCOMPARE(dlg.m_nDiameterKind, handedBack);
}

void TestDlgMatPopis::cancelHandsNothingBack()
{
    CQyDlgMatPopis dlg;
    dlg.m_strPrefix = QStringLiteral("a");
    dlg.show();
    QTest::keyClicks(dlg.GetDlgItem(kPrefix), QStringLiteral("bc"));
    QTest::mouseClick(dlg.GetDlgItem(kInner), Qt::LeftButton);
    QTest::keyClick(dlg.GetDlgItem(kPrefix), Qt::Key_Escape);
    QCOMPARE(dlg.result(), int(IDCANCEL));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.m_strPrefix, QStringLiteral("a"));
    QCOMPARE(dlg.m_nDiameterKind, 0);
}

void TestDlgMatPopis::looksTidy()
{
    CQyDlgMatPopis dlg;
    dlg.m_strPrefix = QStringLiteral("Ø");
    dlg.m_strSuffix = QStringLiteral("mm");
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QStringList problems = LayoutProblems(dlg);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    QCOMPARE(dlg.size(), dlg.MapDialogRect(QRect(0, 0, 163, 76)).size());
    QVERIFY(SaveDialogPicture(dlg, QStringLiteral("dialog_501_description_format.png")));
}

QTEST_MAIN(TestDlgMatPopis)
#include "test_dlgmatpopis.moc"
