#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace topsandbox {

using Params = QList<QPair<QString, QString>>;

// Decodes an application/x-www-form-urlencoded text (UTF-8, "+" for a blank,
// %XX escapes) into its name/value pairs, in the order they were sent.
// *utf8Ok turns false when a name or value is not valid UTF-8 (GBK bytes, say).
Params decodeForm(const QByteArray &body, bool *utf8Ok = nullptr);

// The signature as the platform computes it: every parameter but "sign" whose
// value is not empty, sorted by name (byte order of the UTF-8 names), written
// as secret + name1 + value1 + name2 + value2 ... + secret, MD5 over the UTF-8
// bytes, 32 upper-case hexadecimal digits.
QString topSignature(const Params &params, const QString &secret);

// The text that goes into the digest (for diagnostics and tests).
QByteArray topSigningText(const Params &params, const QString &secret);

// The form body of a parameter list: name=value pairs joined with "&", names
// and values percent-encoded.
QByteArray encodeForm(const Params &params);

} // namespace topsandbox
