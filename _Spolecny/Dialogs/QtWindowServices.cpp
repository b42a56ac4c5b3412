#include "QtWindowServices.h"

#include "TaskDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace {

// Boxes can be shown only by a widget application, on its own thread.
bool CanShowBoxes()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

QWidget* OwnerWindow(MessageOwner owner)
{
    return owner == MessageOwner::ActiveWindow ? QApplication::activeWindow() : nullptr;
}

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

} // namespace

int QtWindowServices::ShowMessage(const std::u16string& text, const std::u16string& title, MessageIcon icon,
                                  MessageButtons buttons, MessageOwner owner)
{
    if (!CanShowBoxes()) return IDNONE;
    QMessageBox box(BoxIcon(icon), QString::fromStdU16String(title), QString::fromStdU16String(text),
                    BoxButtons(buttons), OwnerWindow(owner));
    box.setTextFormat(Qt::PlainText);
    if (QAbstractButton* yes = box.button(QMessageBox::Yes)) yes->setText(QStringLiteral("Ano"));
    if (QAbstractButton* no = box.button(QMessageBox::No)) no->setText(QStringLiteral("Ne"));
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) cancel->setText(QStringLiteral("Storno"));
    // The first button is the default, as on the platform the program was written for.
    box.setDefaultButton(buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
                             ? QMessageBox::Yes
                             : QMessageBox::Ok);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: break;
    }
    // Closed without a button: the box's own escape answer.
    return buttons == MessageButtons::Ok ? IDOK : IDCANCEL;
}

int QtWindowServices::ShowTaskDialog(const TaskDialogSpec& request)
{
    if (!CanShowBoxes()) return IDNONE;
    CTaskDialog dialog(request, OwnerWindow(request.owner));
    return dialog.exec();
}

WindowServices* InstallQtWindowServices()
{
    static QtWindowServices services;
    return SetWindowServices(&services);
}
