#include "sync/UploadReport.h"

#include <QStringList>

#include <algorithm>

namespace {
const QString kBreak = QStringLiteral("\r\n");

QString subject(UploadReport::Kind kind)
{
    return kind == UploadReport::Kind::Price ? QStringLiteral("上传价格") : QStringLiteral("上传库存");
}

void listRows(QStringList &lines, const QString &heading, const QList<UploadReport::Row> &rows, int named)
{
    if (rows.isEmpty())
        return;
    lines << heading;
    const int shown = static_cast<int>(std::min<qsizetype>(rows.size(), std::max(named, 0)));
    for (int i = 0; i < shown; ++i) {
        const UploadReport::Row &r = rows.at(i);
        lines << QStringLiteral("  ") + UploadReport::nameOf(r) +
                     (r.reason.isEmpty() ? QString() : QStringLiteral(": ") + r.reason);
    }
    if (rows.size() > shown)
        lines << QStringLiteral("  ... 另有 %1 行 (见 \"上传记录\")").arg(rows.size() - shown);
}
} // namespace

QString UploadReport::nameOf(const Row &row)
{
    QString text = QStringLiteral("宝贝 ") + row.title + QStringLiteral(" (ID ") + row.numIid;
    if (!row.skuId.isEmpty())
        text += QStringLiteral(", SKU ") + row.skuId;
    return text + QLatin1Char(')');
}

QString UploadReport::counts() const
{
    return QStringLiteral("已上传 %1 行, 被平台拒绝 %2 行, 没有上传 %3 行")
        .arg(uploaded)
        .arg(refused.size())
        .arg(notUploaded.size());
}

QString UploadReport::headline() const
{
    switch (end) {
    case End::Completed:
        return subject(kind) + QStringLiteral("完成: ") + counts() + QLatin1Char('.');
    case End::Cancelled:
        return subject(kind) + QStringLiteral("已取消: ") + counts() + QLatin1Char('.');
    case End::Failed:
        return subject(kind) + QStringLiteral("没有全部完成: ") + counts() + QLatin1Char('.');
    case End::Held:
        return QStringLiteral("上传保护: 本次没有") + subject(kind) + QStringLiteral(", ") + counts() +
               QLatin1Char('.');
    }
    return {};
}

QString UploadReport::noteAfterError(int named) const
{
    QStringList lines{counts() + QLatin1Char('.')};
    listRows(lines, QStringLiteral("被平台拒绝的宝贝 (仍然勾选):"), refused, named);
    listRows(lines, QStringLiteral("没有上传的宝贝:"), notUploaded, named);
    const bool leftTicked = std::any_of(notUploaded.cbegin(), notUploaded.cend(),
                                        [](const Row &r) { return r.reason.isEmpty(); });
    if (leftTicked)
        lines << QStringLiteral("没有上传的宝贝仍保持勾选, 可稍后再上传.");
    const bool unsettled = std::any_of(notUploaded.cbegin(), notUploaded.cend(),
                                       [](const Row &r) { return r.reason.contains(QStringLiteral("确认")); });
    if (unsettled)
        lines << QStringLiteral("没有确认的上传记录请核对店铺后用 \"stocksync journal settle 编号 --applied|--not-applied\" 确认 "
                                "(编号见 \"stocksync journal --state unsettled\").");
    return lines.join(kBreak);
}

QString UploadReport::text(int named) const
{
    QStringList lines{headline()};
    if (end == End::Held && !stopped.isEmpty())
        lines << stopped;
    QString note = noteAfterError(named);
    // the headline carries the counts already
    note = note.mid(note.indexOf(kBreak) < 0 ? note.size() : note.indexOf(kBreak) + kBreak.size());
    if (end == End::Failed && !stopped.isEmpty())
        lines << QStringLiteral("原因: ") + stopped;
    if (!note.isEmpty())
        lines << note;
    return lines.join(kBreak);
}
