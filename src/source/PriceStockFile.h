#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The text of a price or stock file: UTF-8 when the file starts with the
// UTF-8 byte-order mark or is valid UTF-8 throughout, otherwise GB18030 (which
// reads every GBK file as GBK does). The mark is not part of the text.
QString DecodeListFile(const QByteArray &bytes);

// The lines of a text: CR LF, CR or LF ends a line. A text without a final
// line break still ends its last line; an empty text has no lines.
QStringList SplitListLines(const QString &text);

// True when the line holds nothing but characters up to code 32.
bool IsBlankListLine(const QString &line);
