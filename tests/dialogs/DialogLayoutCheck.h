#pragma once
// Checks that a dialog is laid out tidily as the user sees it, and keeps a picture of it.

#include "QyAcDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QWidget>

// Problems of the dialog's layout: a control that sticks out of the dialog, two controls
// that overlap, a text that does not fit its control. Empty when tidy.
inline QStringList LayoutProblems(const QWidget& dialog)
{
    QStringList problems;
    QList<QWidget*> controls;
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(&dialog) && !child->isWindow()) controls << child;
    }
    auto name = [](const QWidget* w) {
        if (auto* label = qobject_cast<const QLabel*>(w)) return QStringLiteral("\"%1\"").arg(label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(w)) return QStringLiteral("\"%1\"").arg(button->text());
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    };
    for (int i = 0; i < controls.size(); ++i) {
        const QWidget* c = controls[i];
        if (!dialog.rect().contains(c->geometry()))
            problems << QStringLiteral("%1 sticks out of the dialog").arg(name(c));
        for (int j = i + 1; j < controls.size(); ++j) {
            if (c->geometry().intersects(controls[j]->geometry()))
                problems << QStringLiteral("%1 overlaps %2").arg(name(c), name(controls[j]));
        }
        const bool hasText = qobject_cast<const QLabel*>(c) || qobject_cast<const QAbstractButton*>(c) ||
                             qobject_cast<const QComboBox*>(c);
        if (hasText && (c->sizeHint().width() > c->width() || c->minimumSizeHint().height() > c->height()))
            problems << QStringLiteral("%1 needs %2x%3, has %4x%5")
                            .arg(name(c))
                            .arg(c->sizeHint().width())
                            .arg(c->minimumSizeHint().height())
                            .arg(c->width())
                            .arg(c->height());
    }
    return problems;
}

// Writes the dialog as shown into the test output folder of the build tree.
inline bool SaveDialogPicture(QWidget& dialog, const QString& fileName)
{
    return dialog.grab().save(QDir(QStringLiteral(VELMORA_TEST_OUTPUT_DIR)).filePath(fileName));
}
