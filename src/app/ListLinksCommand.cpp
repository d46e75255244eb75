#include "app/ListLinksCommand.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "lists/ItemLinks.h"
#include "lists/ItemLists.h"

#include <QFile>

int RunListsAddLinks(CommandContext &ctx, const QStringList &arguments, QIODevice *input)
{
    const QString usage = QStringLiteral("用法: lists add-links --source|--target [--group NAME] < 链接文件 "
                                         "(每行一个宝贝链接地址; 不给 --group 时为默认组)");
    int tag = -1;
    QString group;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QStringLiteral("--source") && tag < 0) {
            tag = 0;
        } else if (a == QStringLiteral("--target") && tag < 0) {
            tag = 1;
        } else if (a == QStringLiteral("--group") && i + 1 < arguments.size() && group.isEmpty()) {
            group = arguments.at(++i);
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    if (tag < 0) {
        ctx.ui.error(usage);
        return 2;
    }
    QFile in;
    if (!input) {
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            ctx.ui.error(QStringLiteral("无法读取标准输入"));
            return 1;
        }
        input = &in;
    }
    QString text = QString::fromUtf8(input->readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    const ItemLinks links(app->db(), ItemLinks::prefixesOf(app->endpoints()));
    const int groupId = group.isEmpty() ? ItemLists(app->db()).defaultGroup(ItemLists::Tag(tag))
                                        : links.groupId(tag, group);
    if (groupId < 0) {
        ctx.ui.error(QStringLiteral("分组不存在: ") + group + QStringLiteral(" (") +
                     (tag == 0 ? QStringLiteral("源") : QStringLiteral("目标")) + QStringLiteral("下载源)"));
        return 1;
    }
    int added = 0;
    if (!AddPastedLinks(ctx.ui, links, tag, groupId, text, false, {}, &added))
        return 1;
    ctx.ui.info(QStringLiteral("已添加 ") + QString::number(added) + QStringLiteral(" 个宝贝到") +
                (tag == 0 ? QStringLiteral("源") : QStringLiteral("目标")) + QStringLiteral("下载源 (") +
                (group.isEmpty() ? QStringLiteral("默认组") : group) + QStringLiteral(")"));
    return 0;
}
