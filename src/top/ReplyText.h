#pragma once

#include <QByteArray>
#include <QString>

// The text of a reply body as the program reads it: the bytes decoded by the
// charset the reply names (the Content-Type's charset, else the XML
// declaration's encoding; UTF-8 when neither names one; GBK and GB2312 are
// read as GB18030, which holds them both), then every C0 control character
// except tab, CR and LF taken out, since XML cannot carry them and a single
// one would make the whole reply unreadable.
struct ReplyText
{
    QString text;  // the decoded and cleaned text (best effort when !ok, for the debug memo)
    bool ok = true;
    QString error; // why the bytes could not be read as text
};

ReplyText DecodeReplyBody(const QByteArray &body, const QString &contentType = QString());

// The charset named by a Content-Type value ("text/xml;charset=GBK" -> "gbk"), lower case; empty when none.
QString ContentTypeCharset(const QString &contentType);
// The encoding named by the XML declaration at the start of the bytes, lower case; empty when none.
QString DeclaredXmlEncoding(const QByteArray &body);
// True for the names of GBK and its relatives (GBK, GB2312, GB18030, CP936).
bool IsGbkCharset(const QString &name);

// The text without C0 control characters other than tab, CR and LF.
QString WithoutControlCharacters(const QString &text);
bool HasControlCharacters(QStringView text);
