#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class Settings;

// Guardrails: before a quantity or price upload the program works out what
// it is about to send and holds the run when it looks like a broken feed
// rather than a real change. The limits are settings (NM 110-112); a limit
// of 0 switches its guardrail off.
// How a run meets a guardrail that holds.
enum class GuardPolicy {
    Ask,   // the window: the preview as a question, No the default
    Hold,  // the plan and the commands without --force: nothing is sent
    Force, // --force: the preview is reported, the run goes on
};

struct PreviewRow
{
    QString account;
    QString numIid;
    QString skuId;
    QString title;
    QString before; // the shop's value now
    QString after;  // the value the upload sets
};

struct UploadPreview
{
    QString kind;      // "quantity" or "price"
    int rows = 0;      // rows about to be uploaded
    int toZero = 0;    // quantity rows set to 0
    QList<PreviewRow> largestDrops;   // quantity: up to five, largest first
    QList<PreviewRow> largestChanges; // price: up to five, largest relative change first
    QString held;      // the guardrail that held ("" when none did)

    bool isHeld() const { return !held.isEmpty(); }
    // The preview as the seller reads it (several lines).
    QString text() const;
    QJsonObject toJson() const;
};

namespace Guardrails {
// Only when more rows than this are uploaded does the share of zeros count.
constexpr int kZeroShareFloor = 10;

UploadPreview quantity(const QList<PreviewRow> &rows, const Settings &settings);
UploadPreview price(const QList<PreviewRow> &rows, const Settings &settings);
// The text of the source guardrail when a download of `now` rows holds fewer
// than the limit's share of the previous complete download's `previous`
// rows; "" otherwise (also without a previous download).
QString sourceShrink(int now, int previous, const Settings &settings);
// The question the window asks over a held preview (No is the default).
QString question(const UploadPreview &preview);
} // namespace Guardrails
