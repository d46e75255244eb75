#include "base/Interaction.h"

#include <cstdio>

void ScriptedInteraction::message(const QString &caption, const QString &text, Icon icon)
{
    m_records.append({Kind::Message, caption, text, icon});
}

bool ScriptedInteraction::question(const QString &caption, const QString &text, Icon icon)
{
    m_records.append({Kind::Question, caption, text, icon});
    if (m_questions.empty())
        return false;
    const bool yes = m_questions.front();
    m_questions.pop_front();
    return yes;
}

std::optional<QString> ScriptedInteraction::prompt(const QString &caption, const QString &label,
                                                   const QString &value)
{
    m_records.append({Kind::Prompt, caption, label, Icon::Question});
    m_promptValues.append(value);
    if (m_prompts.empty())
        return std::nullopt;
    auto answer = m_prompts.front();
    m_prompts.pop_front();
    return answer;
}

QString ScriptedInteraction::openFileName(const QString &caption, const QString &filter)
{
    m_records.append({Kind::OpenFile, caption, filter, Icon::Question});
    if (m_openFiles.empty())
        return {};
    const QString path = m_openFiles.front();
    m_openFiles.pop_front();
    return path;
}

QString ScriptedInteraction::saveFileName(const QString &caption, const QString &filter, const QString &)
{
    m_records.append({Kind::SaveFile, caption, filter, Icon::Question});
    if (m_saveFiles.empty())
        return {};
    const QString path = m_saveFiles.front();
    m_saveFiles.pop_front();
    return path;
}

QStringList ScriptedInteraction::messages() const
{
    QStringList out;
    for (const Record &r : m_records)
        if (r.kind == Kind::Message)
            out.append(r.text);
    return out;
}

void ScriptedInteraction::clear()
{
    m_records.clear();
    m_promptValues.clear();
    m_questions.clear();
    m_prompts.clear();
    m_openFiles.clear();
    m_saveFiles.clear();
}

namespace {
void printLine(FILE *to, const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fputs(flat.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}
} // namespace

void ConsoleInteraction::message(const QString &, const QString &text, Icon icon)
{
    // standard output carries only a command's data: every message goes to standard error
    if (icon == Icon::Error)
        ++m_errors;
    printLine(stderr, text);
}

bool ConsoleInteraction::question(const QString &, const QString &text, Icon)
{
    printLine(stderr, text + (m_answerYes ? QStringLiteral(" -> 是") : QStringLiteral(" -> 否")));
    return m_answerYes;
}

std::optional<QString> ConsoleInteraction::prompt(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

QString ConsoleInteraction::openFileName(const QString &, const QString &)
{
    return {};
}

QString ConsoleInteraction::saveFileName(const QString &, const QString &, const QString &)
{
    return {};
}
