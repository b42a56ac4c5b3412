// The validated edit field: standard checks, refusal with beep and balloon, colours, the
// maximum length, focus loss with trimmed text, and change notifications only while valid.

#include "CheckedEdit.h"
#include "DialogTestSupport.h"
#include "ErrorBalloon.h"

#include <QClipboard>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QColor kYellow(255, 255, 160);

// A window with the field under test and a second edit to move the focus to.
struct Host {
    QWidget window;
    CCheckedEdit* edit = new CCheckedEdit(&window);
    QLineEdit* other = new QLineEdit(&window);

    Host()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.resize(240, 80);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
};

// What the user sees of the field's background, right of any text.
QColor ShownBackground(QWidget* w)
{
    const QImage image = w->grab().toImage();
    return QColor(image.pixel(image.width() - 6, image.height() / 2));
}

} // namespace

Q_DECLARE_METATYPE(InputKind)

class TestCheckedEdit : public QObject {
    Q_OBJECT

private slots:
    void standardChecks_data();
    void standardChecks();
    void loneMinusIsYellowWithRedTextUntilADigitFollows();
    void refusedCharacterShowsTheBalloonAndIsDropped();
    void decimalFieldPointRules();
    void commaBecomesPointOnlyWithTheFilter();
    void maximumLengthRefusesThe21stCharacter();
    void trailingBlanksAreRemovedOnFocusLossWithoutChange();
    void changesReachTheOwnerOnlyWhileValid();
    void pastedTextIsNotRefusedOnlyColoured();
    void emptyTextIsInvalidUnlessAllowed();
    void disabledFieldKeepsAWhiteBackground();
    void limitNamesItselfInTheBalloonText();
    void balloonWithoutACompositorIsCutToItsShape();
};

void TestCheckedEdit::standardChecks_data()
{
    QTest::addColumn<InputKind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("mayBeTyped");
    QTest::addColumn<bool>("acceptable");

    QTest::newRow("integer: lone minus while typing") << InputKind::Integer << "-" << true << false;
    QTest::newRow("integer: signed") << InputKind::Integer << "+12" << true << true;
    QTest::newRow("integer: letter") << InputKind::Integer << "5a" << false << false;
    QTest::newRow("integer: point") << InputKind::Integer << "5.0" << false << false;
    QTest::newRow("decimal: point five") << InputKind::Decimal << ".5" << true << true;
    QTest::newRow("decimal: five point") << InputKind::Decimal << "5." << true << false;
    QTest::newRow("decimal: negative") << InputKind::Decimal << "-0.25" << true << true;
    QTest::newRow("decimal: two points") << InputKind::Decimal << "1.2.3" << false << false;
    QTest::newRow("decimal: comma") << InputKind::Decimal << "1,5" << false << false;
    QTest::newRow("decimal: exponent") << InputKind::Decimal << "1e5" << false << false;
    QTest::newRow("digits/letters: mixed") << InputKind::DigitsOrLetters << "abc123" << true << true;
    QTest::newRow("digits/letters: empty") << InputKind::DigitsOrLetters << "" << false << false;
    QTest::newRow("digits/letters: blank inside") << InputKind::DigitsOrLetters << "ab c" << false << false;
    QTest::newRow("e-mail: ordinary") << InputKind::Email << "jan.novak@firma.cz" << true << true;
    QTest::newRow("e-mail: sub-domains") << InputKind::Email << "jan_x@a.b.c" << true << true;
    QTest::newRow("e-mail: domain without point") << InputKind::Email << "jan@firma" << true << false;
    QTest::newRow("e-mail: no user") << InputKind::Email << "@firma.cz" << true << false;
    QTest::newRow("e-mail: empty") << InputKind::Email << "" << true << false;
    QTest::newRow("file name: point inside") << InputKind::FileName << "zprava.v2.txt" << true << true;
    QTest::newRow("file name: leading space") << InputKind::FileName << " zprava" << false << false;
    QTest::newRow("file name: leading point") << InputKind::FileName << ".skryty" << false << false;
    QTest::newRow("file name: empty") << InputKind::FileName << "" << false << false;
    QTest::newRow("e-mail: point before @") << InputKind::Email << "jan.@firma.cz" << true << true;
    QTest::newRow("e-mail: two points before @") << InputKind::Email << "a.b.c@firma.cz" << true << false;
    QTest::newRow("e-mail: empty domain label") << InputKind::Email << "jan@firma..cz" << true << false;
    // A pasted page of text is checked in one pass (a recursive matcher overflowed the stack).
    const QString page(1000000, QLatin1Char('7'));
    QTest::newRow("integer: a page of digits") << InputKind::Integer << page << true << true;
    QTest::newRow("decimal: a page of digits") << InputKind::Decimal << QString(page + QStringLiteral(".5")) << true << true;
    QTest::newRow("decimal: a page ending in a point") << InputKind::Decimal << QString(page + QStringLiteral(".")) << true << false;
    QTest::newRow("digits/letters: a page") << InputKind::DigitsOrLetters << page << true << true;
    QTest::newRow("e-mail: a page") << InputKind::Email << QString(page + QStringLiteral("@") + page + QStringLiteral(".cz"))
                                     << true << true;
    for (const char* bad : {"c:x", "a\\b", "a/b", "a?", "a\"b", "a<b", "a>b", "a|b", "a*"})
        QTest::newRow(qPrintable(QStringLiteral("file name: %1").arg(bad))) << InputKind::FileName << bad << false << false;
}

void TestCheckedEdit::standardChecks()
{
    QFETCH(InputKind, kind);
    QFETCH(QString, text);
    QFETCH(bool, mayBeTyped);
    QFETCH(bool, acceptable);
    const StandardChecks checks = StandardChecksFor(kind);
    const std::wstring w = text.toStdWString();
    QCOMPARE(!checks.keyCheck || checks.keyCheck(w), mayBeTyped);
    QCOMPARE(checks.textCheck(w), acceptable);
}

void TestCheckedEdit::loneMinusIsYellowWithRedTextUntilADigitFollows()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Integer);
    host.edit->setText(QStringLiteral("0"));
    host.edit->clear();
    QTest::keyClicks(host.edit, QStringLiteral("-"));
    QCOMPARE(host.edit->text(), QStringLiteral("-"));
    QVERIFY(!host.edit->valid);
    QCOMPARE(host.edit->palette().color(QPalette::Active, QPalette::Base), kYellow);
    QCOMPARE(host.edit->palette().color(QPalette::Active, QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(ShownBackground(host.edit), kYellow);

    QTest::keyClicks(host.edit, QStringLiteral("5"));
    QCOMPARE(host.edit->text(), QStringLiteral("-5"));
    QVERIFY(host.edit->valid);
    QCOMPARE(ShownBackground(host.edit), QColor(Qt::white));
    QCOMPARE(host.edit->palette().color(QPalette::Active, QPalette::Text),
             QApplication::palette().color(QPalette::Active, QPalette::Text));
    QVERIFY(!host.edit->IsBalloonVisible());
}

void TestCheckedEdit::refusedCharacterShowsTheBalloonAndIsDropped()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Integer);
    QSignalSpy changes(host.edit, &CCheckedEdit::changed);
    QTest::keyClicks(host.edit, QStringLiteral("12a"));
    QCOMPARE(host.edit->text(), QStringLiteral("12"));
    QVERIFY(host.edit->IsBalloonVisible());
    QCOMPARE(host.edit->Balloon()->Title(), QStringLiteral("Chybný vstup"));
    QCOMPARE(host.edit->Balloon()->Text(), QStringLiteral("Zadejte celé číslo"));
    QCOMPARE(changes.count(), 2);

    // The balloon sits under the field, and the next accepted character hides it.
    const QRect field(host.edit->mapToGlobal(QPoint(0, 0)), host.edit->size());
    QVERIFY(host.edit->Balloon()->geometry().top() >= field.bottom() - 2);
    QTest::keyClicks(host.edit, QStringLiteral("3"));
    QVERIFY(!host.edit->IsBalloonVisible());

    // Backspace and other keys that type nothing are never checked.
    QTest::keyClick(host.edit, Qt::Key_Backspace);
    QCOMPARE(host.edit->text(), QStringLiteral("12"));
}

void TestCheckedEdit::decimalFieldPointRules()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Decimal);
    QTest::keyClicks(host.edit, QStringLiteral(".5"));
    QVERIFY(host.edit->valid);

    host.edit->clear();
    QTest::keyClicks(host.edit, QStringLiteral("5."));
    QCOMPARE(host.edit->text(), QStringLiteral("5."));
    QVERIFY(!host.edit->valid);
    QTest::keyClicks(host.edit, QStringLiteral("2"));
    QVERIFY(host.edit->valid);

    QTest::keyClicks(host.edit, QStringLiteral("."));
    QCOMPARE(host.edit->text(), QStringLiteral("5.2"));
    QVERIFY(host.edit->IsBalloonVisible());
    QCOMPARE(host.edit->Balloon()->Text(), QStringLiteral("Zadejte desetinné číslo"));

    // The prospective text counts the selection as replaced: "5.2" selected, "." gives ".".
    host.edit->selectAll();
    QTest::keyClicks(host.edit, QStringLiteral("."));
    QCOMPARE(host.edit->text(), QStringLiteral("."));
}

void TestCheckedEdit::commaBecomesPointOnlyWithTheFilter()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Decimal);
    QTest::keyClicks(host.edit, QStringLiteral("1,5"));
    QCOMPARE(host.edit->text(), QStringLiteral("15"));

    host.edit->clear();
    host.edit->charFilter = CommaToPoint;
    QTest::keyClicks(host.edit, QStringLiteral("1,5"));
    QCOMPARE(host.edit->text(), QStringLiteral("1.5"));
    QVERIFY(host.edit->valid);
}

void TestCheckedEdit::maximumLengthRefusesThe21stCharacter()
{
    Host host;
    host.edit->balloonTitle = QStringLiteral("Příliš dlouhý název");
    host.edit->balloonText = QStringLiteral("Maximální délka je omezena na 20 znaků");
    host.edit->maxLength = 20;
    QTest::keyClicks(host.edit, QStringLiteral("Polypropylen SN8 DN2X"));
    QCOMPARE(host.edit->text(), QStringLiteral("Polypropylen SN8 DN2"));
    QVERIFY(host.edit->IsBalloonVisible());
    QCOMPARE(host.edit->Balloon()->Title(), QStringLiteral("Příliš dlouhý název"));
    QCOMPARE(host.edit->Balloon()->Text(), QStringLiteral("Maximální délka je omezena na 20 znaků"));

    // At the limit a selection does not make room; deleting does.
    host.edit->setSelection(0, 3);
    QTest::keyClicks(host.edit, QStringLiteral("Q"));
    QCOMPARE(host.edit->text(), QStringLiteral("Polypropylen SN8 DN2"));
    host.edit->end(false);
    QTest::keyClick(host.edit, Qt::Key_Backspace);
    QTest::keyClicks(host.edit, QStringLiteral("5"));
    QCOMPARE(host.edit->text(), QStringLiteral("Polypropylen SN8 DN5"));
}

void TestCheckedEdit::trailingBlanksAreRemovedOnFocusLossWithoutChange()
{
    QStringList log; // outlives the field, which still reports while the window closes
    Host host;
    connect(host.edit, &CCheckedEdit::changed, [&](const QString& t) { log << "change:" + t; });
    connect(host.edit, &CCheckedEdit::editFinished, [&](const QString& t) { log << "finished:" + t; });
    connect(host.edit, &CCheckedEdit::killFocus, [&] { log << "killfocus"; });
    QTest::keyClicks(host.edit, QStringLiteral("PVC  "));
    QCOMPARE(log.size(), 5);
    log.clear();

    host.other->setFocus();
    QCOMPARE(host.edit->text(), QStringLiteral("PVC"));
    QCOMPARE(log, QStringList({"finished:PVC", "killfocus"}));
    QVERIFY(!host.edit->suppressChange);

    // The next change after the trimming is passed on again.
    host.edit->setFocus();
    host.edit->end(false);
    QTest::keyClicks(host.edit, QStringLiteral("U"));
    QCOMPARE(log.last(), QStringLiteral("change:PVCU"));
}

void TestCheckedEdit::changesReachTheOwnerOnlyWhileValid()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Integer);
    QSignalSpy changes(host.edit, &CCheckedEdit::changed);
    QTest::keyClicks(host.edit, QStringLiteral("-"));
    QCOMPARE(changes.count(), 0);
    QTest::keyClicks(host.edit, QStringLiteral("5"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("-5"));
}

void TestCheckedEdit::pastedTextIsNotRefusedOnlyColoured()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Integer, 3);
    QApplication::clipboard()->setText(QStringLiteral("12ab"));
    QTest::keyClick(host.edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(host.edit->text(), QStringLiteral("12ab"));
    QVERIFY(!host.edit->valid);
    QVERIFY(!host.edit->IsBalloonVisible());

    // Too long for the limit though digits only: invalid as well.
    host.edit->setText(QStringLiteral("1234"));
    QVERIFY(!host.edit->valid);
    host.edit->setText(QStringLiteral("123"));
    QVERIFY(host.edit->valid);
}

void TestCheckedEdit::emptyTextIsInvalidUnlessAllowed()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Integer);
    QVERIFY(!host.edit->CheckText());
    QCOMPARE(ShownBackground(host.edit), kYellow);
    host.edit->allowEmpty = true;
    QVERIFY(host.edit->CheckText());
    host.edit->setText(QStringLiteral("   "));
    QVERIFY(host.edit->valid);
    QCOMPARE(host.edit->checkedText, QString());
}

void TestCheckedEdit::disabledFieldKeepsAWhiteBackground()
{
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Integer);
    host.edit->setText(QStringLiteral("-"));
    QVERIFY(!host.edit->valid);
    host.edit->setEnabled(false);
    QCOMPARE(host.edit->palette().color(QPalette::Disabled, QPalette::Base), QColor(Qt::white));
    QCOMPARE(ShownBackground(host.edit), QColor(Qt::white));
}

void TestCheckedEdit::limitNamesItselfInTheBalloonText()
{
    CCheckedEdit edit;
    edit.ApplyStandardChecks(InputKind::Integer, 6);
    QCOMPARE(edit.balloonText, QStringLiteral("Zadejte celé číslo\nmax. 6 znaků"));
    edit.ApplyStandardChecks(InputKind::NoCheck, 20);
    QCOMPARE(edit.balloonText, QStringLiteral("max. 20 znaků"));
    QCOMPARE(edit.balloonTitle, QStringLiteral("Chybný vstup"));
    edit.ApplyStandardChecks(InputKind::FileName);
    QCOMPARE(edit.balloonText, QStringLiteral("Zadejte název bez '<>*:\\?'(platný název souboru Windows)"));
}

void TestCheckedEdit::balloonWithoutACompositorIsCutToItsShape()
{
    // Without a compositor (as here) translucent corners would show black: the balloon is a
    // window cut to its rounded body and tail instead.
    Host host;
    host.edit->ApplyStandardChecks(InputKind::Integer);
    QTest::keyClicks(host.edit, QStringLiteral("a"));
    const CErrorBalloon* balloon = host.edit->Balloon();
    QVERIFY(balloon && balloon->isVisible());
    QVERIFY(!balloon->testAttribute(Qt::WA_TranslucentBackground));
    const QRegion shape = balloon->mask();
    QVERIFY(!shape.isEmpty());
    const QRect r = balloon->rect();
    QVERIFY(shape.contains(r.center()));
    for (const QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
        QVERIFY2(!shape.contains(corner), qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
    // The tail reaches up to the field, and what is painted is the balloon's own colour.
    const QRect tailRow = shape.intersected(QRect(0, 2, r.width(), 1)).boundingRect();
    QVERIFY(!tailRow.isEmpty() && tailRow.width() < 20);
    const QImage picture = const_cast<CErrorBalloon*>(balloon)->grab().toImage();
    QCOMPARE(QColor(picture.pixel(r.width() - 4, r.height() / 2)), QColor(255, 255, 225));
}

QTEST_MAIN(TestCheckedEdit)
#include "test_checkededit.moc"
