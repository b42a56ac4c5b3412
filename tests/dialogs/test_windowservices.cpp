// The Qt window services: message boxes and task dialogs, driven with real key and mouse
// events through the dialog that is really shown.

#include "DialogTestSupport.h"
#include "QtWindowServices.h"
#include "TaskButtons.h"
#include "TaskDialog.h"

#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

// The overwrite question as the catalog asks it: four buttons of its own, "Ano" the default.
TaskDialogSpec OverwriteQuestion()
{
    TaskDialogSpec request;
    request.title = kProgramTitle;
    request.mainInstruction = u"Materiál, který je obsažen v projektu se liší od materiálu v obecném seznamu\n"
                           u"Přepsat materiál v projektu obecným?";
    request.content = u"Materiál <PVC> se liší.";
    request.icon = MessageIcon::Warning;
    request.customButtons = {{2, u"Ano"}, {4, u"Ne"}, {16, u"Ano všem"}, {32, u"Ne všem"}};
    request.defaultButton = 2;
    return request;
}

QPushButton* ButtonWithText(QWidget* dialog, const QString& text)
{
    const auto buttons = dialog->findChildren<QPushButton*>();
    for (QPushButton* b : buttons) {
        if (b->text() == text) return b;
    }
    return nullptr;
}

enum class Gesture { Click, Enter, Escape, CloseBox };

void Perform(QWidget* dialog, Gesture gesture, const QString& buttonText)
{
    switch (gesture) {
    case Gesture::Click:
        if (QPushButton* b = ButtonWithText(dialog, buttonText)) QTest::mouseClick(b, Qt::LeftButton);
        break;
    case Gesture::Enter: QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return); break;
    case Gesture::Escape: QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape); break;
    case Gesture::CloseBox: dialog->close(); break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Gesture)

class TestWindowServices : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallQtWindowServices(); }
    void overwriteQuestionAnswersTheButtonId_data();
    void overwriteQuestionAnswersTheButtonId();
    void overwriteQuestionOnQtAnswersWithTheForAllBit_data();
    void overwriteQuestionOnQtAnswersWithTheForAllBit();
    void taskDialogShowsItsTextsAsPlainTextWithIcon();
    void taskDialogShowsItsDetailsOnRequest();
    void taskDialogWithoutCancelCannotBeDismissed();
    void taskDialogWithoutButtonsOffersOk();
    void messageBoxAnswers_data();
    void messageBoxAnswers();
    void messageBoxBelongsToTheActiveWindowUnlessNoOwner();
};

void TestWindowServices::overwriteQuestionAnswersTheButtonId_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    QTest::newRow("Ano") << Gesture::Click << QStringLiteral("Ano") << 2;
    QTest::newRow("Ne") << Gesture::Click << QStringLiteral("Ne") << 4;
    QTest::newRow("Ano všem") << Gesture::Click << QStringLiteral("Ano všem") << 16;
    QTest::newRow("Ne všem") << Gesture::Click << QStringLiteral("Ne všem") << 32;
    QTest::newRow("Enter at once: the default Ano") << Gesture::Enter << QString() << 2;
    QTest::newRow("Escape: the cancel code, which is Ano") << Gesture::Escape << QString() << 2;
    QTest::newRow("close box: the cancel code") << Gesture::CloseBox << QString() << 2;
}

void TestWindowServices::overwriteQuestionAnswersTheButtonId()
{
    QFETCH(Gesture, gesture);
    QFETCH(QString, button);
    QFETCH(int, answer);
    WhenModalShown([=](QWidget* w) { Perform(w, gesture, button); });
    QCOMPARE(GetWindowServices().ShowTaskDialog(OverwriteQuestion()), answer);
}

void TestWindowServices::overwriteQuestionOnQtAnswersWithTheForAllBit_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    QTest::newRow("Ano všem") << Gesture::Click << QStringLiteral("Ano všem") << 66;
    QTest::newRow("Ne všem") << Gesture::Click << QStringLiteral("Ne všem") << 68;
    QTest::newRow("Ne") << Gesture::Click << QStringLiteral("Ne") << 4;
    QTest::newRow("Enter") << Gesture::Enter << QString() << 2;
    QTest::newRow("Escape") << Gesture::Escape << QString() << 2;
}

void TestWindowServices::overwriteQuestionOnQtAnswersWithTheForAllBit()
{
    QFETCH(Gesture, gesture);
    QFETCH(QString, button);
    QFETCH(int, answer);
    QString title;
    QStringList buttons;
    WhenModalShown([&](QWidget* w) {
        title = w->windowTitle();
        for (QPushButton* b : w->findChildren<QPushButton*>()) buttons << b->text();
        Perform(w, gesture, button);
    });
    QCOMPARE(AskOverwriteMaterial(u"PVC KG"), answer);
    QCOMPARE(title, QStringLiteral("Materiály potrubí"));
    QCOMPARE(buttons, QStringList({"Ano", "Ne", "Ano všem", "Ne všem"}));
}

void TestWindowServices::taskDialogShowsItsTextsAsPlainTextWithIcon()
{
    CTaskDialog dialog(OverwriteQuestion());
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Materiály potrubí"));
    auto* instruction = dialog.findChild<QLabel*>(QStringLiteral("taskMainInstruction"));
    auto* content = dialog.findChild<QLabel*>(QStringLiteral("taskContent"));
    QVERIFY(instruction && content);
    QVERIFY(instruction->text().startsWith(QStringLiteral("Materiál, který je obsažen")));
    QVERIFY(instruction->font().bold());
    QVERIFY(instruction->font().pointSizeF() > content->font().pointSizeF());
    QCOMPARE(content->text(), QStringLiteral("Materiál <PVC> se liší."));
    QCOMPARE(content->textFormat(), Qt::PlainText);
    QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("taskIcon")));

    // The four buttons in the given order, left to right, "Ano" the default.
    const std::vector<int> ids = {2, 4, 16, 32};
    int left = -1;
    for (int id : ids) {
        QPushButton* b = dialog.Button(id);
        QVERIFY(b);
        QVERIFY(b->x() > left);
        left = b->x();
    }
    QVERIFY(dialog.Button(2)->isDefault());
    QVERIFY(dialog.CanBeDismissed());
    QVERIFY2(!dialog.findChild<QWidget*>(QStringLiteral("taskDetailsToggle")), "no details, no toggle");
}

void TestWindowServices::taskDialogShowsItsDetailsOnRequest()
{
    TaskDialogSpec request = OverwriteQuestion();
    request.expandedInformation = u"Obecný seznam → projekt:\nVýrobce: „A“ → „B“";
    CTaskDialog dialog(request);
    dialog.show();
    auto* toggle = dialog.findChild<QToolButton*>(QStringLiteral("taskDetailsToggle"));
    auto* details = dialog.findChild<QPlainTextEdit*>(QStringLiteral("taskDetails"));
    QVERIFY(toggle && details);
    QVERIFY(!details->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Zobrazit podrobnosti"));
    const int height = dialog.height();

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(details->isVisible());
    QVERIFY(details->isReadOnly());
    QCOMPARE(details->toPlainText(), QString::fromStdU16String(request.expandedInformation));
    QCOMPARE(toggle->text(), QStringLiteral("Skrýt podrobnosti"));
    QVERIFY(dialog.height() > height);
    QVERIFY2(dialog.Button(2)->isDefault(), "the details change no answer");

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(!details->isVisible());
}

void TestWindowServices::taskDialogWithoutCancelCannotBeDismissed()
{
    TaskDialogSpec request;
    request.title = kProgramTitle;
    request.mainInstruction = u"Otázka";
    request.commonButtons = TaskButtonYes | TaskButtonNo;
    request.defaultButton = IDNO;
    WhenModalShown([](QWidget* w) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
        w->close();
        QVERIFY(w->isVisible());
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(GetWindowServices().ShowTaskDialog(request), int(IDNO));

    request.commonButtons = TaskButtonOk | TaskButtonCancel;
    request.defaultButton = 0;
    WhenModalShown([](QWidget* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Escape); });
    QCOMPARE(GetWindowServices().ShowTaskDialog(request), int(IDCANCEL));
}

void TestWindowServices::taskDialogWithoutButtonsOffersOk()
{
    TaskDialogSpec request;
    request.mainInstruction = u"Hotovo";
    WhenModalShown([](QWidget* w) { Perform(w, Gesture::Click, QStringLiteral("OK")); });
    QCOMPARE(GetWindowServices().ShowTaskDialog(request), int(IDOK));
}

void TestWindowServices::messageBoxAnswers_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    const int ok = int(MessageButtons::Ok), yesNo = int(MessageButtons::YesNo),
              yesNoCancel = int(MessageButtons::YesNoCancel), okCancel = int(MessageButtons::OkCancel);
    QTest::newRow("OK by Enter") << ok << Gesture::Enter << QString() << int(IDOK);
    QTest::newRow("OK by Escape") << ok << Gesture::Escape << QString() << int(IDOK);
    QTest::newRow("Yes is the default") << yesNo << Gesture::Enter << QString() << int(IDYES);
    QTest::newRow("No clicked") << yesNo << Gesture::Click << QStringLiteral("Ne") << int(IDNO);
    QTest::newRow("Cancel by Escape") << yesNoCancel << Gesture::Escape << QString() << int(IDCANCEL);
    QTest::newRow("OK-Cancel by close box") << okCancel << Gesture::CloseBox << QString() << int(IDCANCEL);
}

void TestWindowServices::messageBoxAnswers()
{
    QFETCH(int, buttons);
    QFETCH(Gesture, gesture);
    QFETCH(QString, button);
    QFETCH(int, answer);
    QString shownText;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    WhenModalShown([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box) {
            shownText = box->text();
            shownIcon = box->icon();
        }
        Perform(w, gesture, button);
    });
    const int result = GetWindowServices().ShowMessage(u"Opravdu vymazat <všechny> profily?", kProgramTitle,
                                                       MessageIcon::Question, MessageButtons(buttons));
    QCOMPARE(result, answer);
    QCOMPARE(shownText, QStringLiteral("Opravdu vymazat <všechny> profily?"));
    QCOMPARE(shownIcon, QMessageBox::Question);
}

void TestWindowServices::messageBoxBelongsToTheActiveWindowUnlessNoOwner()
{
    QWidget window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QWidget* parent = reinterpret_cast<QWidget*>(1);
    auto capture = [&](QWidget* w) {
        parent = w->parentWidget();
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Return);
    };
    WhenModalShown(capture);
    GetWindowServices().ShowMessage(u"Profil je používán, nelze jej vymazat", kProgramTitle, MessageIcon::Warning,
                                    MessageButtons::Ok);
    QCOMPARE(parent, &window);

    WhenModalShown(capture);
    GetWindowServices().ShowMessage(u"Chyba", u"Program vyvolal výjimku", MessageIcon::Information,
                                    MessageButtons::Ok, MessageOwner::None);
    QCOMPARE(parent, static_cast<QWidget*>(nullptr));
}

QTEST_MAIN(TestWindowServices)
#include "test_windowservices.moc"
