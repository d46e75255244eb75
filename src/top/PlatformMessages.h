#pragma once

#include <QString>
#include <QStringView>

// What an error of the open platform, or of the network on the way to it,
// means for the seller: one table, in one place, from the platform's error
// code and sub-code (or the cause of a transport failure) to a Chinese
// sentence that says what happened and what to do. The message a seller
// sees is that sentence followed by the platform's own text.
//
// Whether an error concerns the one item of the request (the run may go on
// with the next row) or the whole run (the session, the key, the call limit,
// the platform itself) is the upload jobs' rule, ErrorScopeOf
// (top/ErrorScope.h); scopeOf gives the same answer.
namespace PlatformMessages {

enum class Scope {
    Item, // the platform refused this one item; other rows may still go through
    Run,  // nothing else will go through now: the run ends
};

struct Entry
{
    int code;              // the <code> of the reply; 0: any code
    const char *subCode;   // a part of the <sub_code> (case-insensitive); nullptr: any sub-code
    const char *sentence;  // UTF-8: what happened and what to do
    bool tryLater;         // the same request may well succeed later
};

// Looks the reply up: the first row whose code and sub-code both fit, rows
// with a sub-code before those without. Never null: a reply the table does
// not know gets a general row.
const Entry &lookup(int code, QStringView subCode);

// The error text of a reply (msg,sub_code,sub_msg) without empty parts and
// trailing commas: "Remote service error,isp.top-remote-connection-timeout,"
// becomes "Remote service error, isp.top-remote-connection-timeout".
QString platformText(const QString &errorText);

// The sentence for the reply followed by the platform's own text:
// "...请稍后再试.\r\n平台原文: Remote service error, isp.top-remote-connection-timeout".
QString explain(int code, const QString &subCode, const QString &errorText);

// Whether the error ends the run or refuses only the row's item: ErrorScopeOf's
// rule (so codes 40 and 41 without an isv. sub-code end the run).
Scope scopeOf(int code, const QString &subCode);

// A transport failure (the HTTP component's cause, e.g. "等待服务器应答超时 (...)"):
// the sentence with the remedy, followed by the cause.
QString explainTransport(const QString &cause);

} // namespace PlatformMessages
