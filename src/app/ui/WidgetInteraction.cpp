#include "app/ui/WidgetInteraction.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QMessageBox::Icon boxIcon(Interaction::Icon icon)
{
    switch (icon) {
    case Interaction::Icon::Information:
        return QMessageBox::Information;
    case Interaction::Icon::Warning:
        return QMessageBox::Warning;
    case Interaction::Icon::Question:
        return QMessageBox::Question;
    case Interaction::Icon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QWidget *WidgetInteraction::owner() const
{
    if (m_owner)
        return m_owner.data();
    return QApplication::activeWindow();
}

void WidgetInteraction::message(const QString &caption, const QString &text, Icon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, owner());
    box.exec();
}

bool WidgetInteraction::question(const QString &caption, const QString &text, Icon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, owner());
    // a question under the warning icon (a guardrail that held) defaults to No
    box.setDefaultButton(icon == Icon::Warning ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> WidgetInteraction::prompt(const QString &caption, const QString &label,
                                                 const QString &value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), caption, label, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString WidgetInteraction::openFileName(const QString &caption, const QString &filter)
{
    return QFileDialog::getOpenFileName(owner(), caption, QString(), filter);
}

QString WidgetInteraction::saveFileName(const QString &caption, const QString &filter,
                                        const QString &suggestedName)
{
    return QFileDialog::getSaveFileName(owner(), caption, suggestedName, filter);
}
