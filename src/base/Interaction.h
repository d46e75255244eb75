#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

// Every modal exchange with the user: message boxes, Yes/No questions,
// one-line prompts and file dialogs. The widget implementation shows Qt
// dialogs; the scripted one records and answers for tests; the console one
// serves the command line.
class Interaction
{
public:
    enum class Icon { Information, Warning, Question, Error };

    virtual ~Interaction() = default;

    virtual void message(const QString &caption, const QString &text, Icon icon) = 0;
    // Yes/No question; true for Yes.
    virtual bool question(const QString &caption, const QString &text, Icon icon = Icon::Question) = 0;
    // One-line input prefilled with value; nullopt when the user cancels.
    virtual std::optional<QString> prompt(const QString &caption, const QString &label, const QString &value) = 0;
    // File dialogs; an empty text when the user cancels.
    virtual QString openFileName(const QString &caption, const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &filter, const QString &suggestedName) = 0;

    // The program's usual forms, caption "提示".
    void info(const QString &text) { message(tipCaption(), text, Icon::Information); }
    void warn(const QString &text) { message(tipCaption(), text, Icon::Warning); }
    void error(const QString &text) { message(tipCaption(), text, Icon::Error); }
    bool ask(const QString &text) { return question(tipCaption(), text, Icon::Question); }

    static QString tipCaption() { return QStringLiteral("提示"); }
    static QString errorCaption() { return QStringLiteral("错误"); }
};

// Records every exchange and answers from a script. Unscripted questions are
// answered No, prompts and file dialogs are cancelled.
class ScriptedInteraction : public Interaction
{
public:
    enum class Kind { Message, Question, Prompt, OpenFile, SaveFile };
    struct Record
    {
        Kind kind;
        QString caption;
        QString text;
        Icon icon = Icon::Information;
    };

    void message(const QString &caption, const QString &text, Icon icon) override;
    bool question(const QString &caption, const QString &text, Icon icon) override;
    std::optional<QString> prompt(const QString &caption, const QString &label, const QString &value) override;
    QString openFileName(const QString &caption, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &filter, const QString &suggestedName) override;

    void answerQuestion(bool yes) { m_questions.push_back(yes); }
    void answerPrompt(std::optional<QString> value) { m_prompts.push_back(std::move(value)); }
    void answerOpenFile(const QString &path) { m_openFiles.push_back(path); }
    void answerSaveFile(const QString &path) { m_saveFiles.push_back(path); }

    const QList<Record> &records() const { return m_records; }
    // Texts of the message boxes shown, in order (questions and prompts excluded).
    QStringList messages() const;
    const Record *last() const { return m_records.isEmpty() ? nullptr : &m_records.last(); }
    // Prompt values shown prefilled, in order.
    const QStringList &promptValues() const { return m_promptValues; }
    void clear();

private:
    QList<Record> m_records;
    QStringList m_promptValues;
    std::deque<bool> m_questions;
    std::deque<std::optional<QString>> m_prompts;
    std::deque<QString> m_openFiles;
    std::deque<QString> m_saveFiles;
};

// For the command line: every message goes to standard error (standard
// output carries only a command's data); questions are not asked and take the
// given default answer, which is shown with them.
class ConsoleInteraction : public Interaction
{
public:
    explicit ConsoleInteraction(bool answerYes = true) : m_answerYes(answerYes) {}
    void message(const QString &caption, const QString &text, Icon icon) override;
    bool question(const QString &caption, const QString &text, Icon icon) override;
    std::optional<QString> prompt(const QString &caption, const QString &label, const QString &value) override;
    QString openFileName(const QString &caption, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &filter, const QString &suggestedName) override;

    int errorCount() const { return m_errors; }

private:
    bool m_answerYes;
    int m_errors = 0;
};
