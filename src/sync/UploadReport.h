#pragma once

#include <QList>
#include <QString>

// What one upload run did to the shop, in the words the window and the
// command line share: how many rows went up, which rows the platform refused
// (each named, with the platform's reason) and which rows were not uploaded
// (left out before sending, with the reason, or not reached because the run
// ended early). The jobs build it from their outcomes; the window shows the
// text at the end of a run the seller started and keeps the headline in the
// status bar.
struct UploadReport
{
    enum class Kind { Quantity, Price };
    enum class End {
        Completed, // the run went through every ticked row
        Cancelled, // the seller cancelled it
        Failed,    // an error ended it early (the reason is in `stopped`)
        Held,      // a guardrail held it: nothing was sent
    };
    struct Row
    {
        QString title;
        QString numIid;
        QString skuId;  // empty for an item without SKUs
        QString reason; // the platform's text, or why the row was left out; empty: not reached
    };

    Kind kind = Kind::Quantity;
    End end = End::Completed;
    int uploaded = 0;
    QList<Row> refused;
    QList<Row> notUploaded;
    QString stopped; // what ended the run early, or the guardrail that held it

    // "已上传 3 行, 被平台拒绝 1 行, 没有上传 2 行"
    QString counts() const;
    // One line for the status bar: "上传库存完成: " + counts() + "."
    QString headline() const;
    // The message: the headline, then the refused rows and the rows not
    // uploaded, each named with its reason (at most `named` of each kind).
    QString text(int named = 10) const;
    // What an error message adds when the run ends early: the counts and the
    // named rows, without the headline (the error says what happened).
    QString noteAfterError(int named = 10) const;
    // Nothing refused, nothing left over.
    bool clean() const { return refused.isEmpty() && notUploaded.isEmpty() && end == End::Completed; }

    // "宝贝 标题 (ID 1, SKU 2)"
    static QString nameOf(const Row &row);
};
