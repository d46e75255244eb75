#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The desktop around the program: the clipboard, opening a page in the
// default browser or a mailto: link in the mail program, starting another
// program. The widget implementation uses Qt; tests record.
class Desktop
{
public:
    virtual ~Desktop() = default;
    virtual void setClipboardText(const QString &text) = 0;
    virtual QString clipboardText() const = 0;
    // Opens a web address or a mailto: link; false when nothing could open it.
    virtual bool openUrl(const QString &url) = 0;
    virtual bool startProgram(const QString &program, const QStringList &arguments = {}) = 0;
};

class RecordingDesktop : public Desktop
{
public:
    void setClipboardText(const QString &text) override { m_clipboard = text; }
    QString clipboardText() const override { return m_clipboard; }
    bool openUrl(const QString &url) override
    {
        m_urls.append(url);
        return true;
    }
    bool startProgram(const QString &program, const QStringList &arguments = {}) override
    {
        m_programs.append(program);
        m_arguments.append(arguments);
        return true;
    }

    const QStringList &openedUrls() const { return m_urls; }
    const QStringList &startedPrograms() const { return m_programs; }

private:
    QString m_clipboard;
    QStringList m_urls;
    QStringList m_programs;
    QList<QStringList> m_arguments;
};
