#pragma once

#include "base/Interaction.h"

#include <QPointer>

class QWidget;

// Interaction through Qt's dialogs: message boxes with the given caption and
// icon, Yes/No questions, a one-line input dialog and the file dialogs.
class WidgetInteraction : public Interaction
{
public:
    explicit WidgetInteraction(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    void message(const QString &caption, const QString &text, Icon icon) override;
    bool question(const QString &caption, const QString &text, Icon icon) override;
    std::optional<QString> prompt(const QString &caption, const QString &label,
                                  const QString &value) override;
    QString openFileName(const QString &caption, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &filter,
                         const QString &suggestedName) override;

private:
    QWidget *owner() const;
    QPointer<QWidget> m_owner;
};
