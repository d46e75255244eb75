#include "target/TargetListCommands.h"

#include "base/Clock.h"
#include "base/CsvWriter.h"
#include "base/Desktop.h"
#include "base/ExportFile.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/RowDeletion.h"
#include "store/DeleteRows.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <algorithm>

namespace {

// "复制宝贝名称" ... "复制货号": the cells they copy
constexpr int kCopyCells[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13};

} // namespace

TargetListCommands::TargetListCommands(const QSqlDatabase &db, ListModel &model, Interaction &ui, Desktop &desktop,
                                       QObject *parent)
    : QObject(parent), m_db(db), m_model(model), m_ui(ui), m_desktop(desktop)
{
}

QString TargetListCommands::shownCount(int n)
{
    return QStringLiteral(" 当前显示共 ") + QString::number(n) + QStringLiteral(" 项");
}

int TargetListCommands::CopyCell(int command)
{
    return command >= 0 && command < 12 ? kCopyCells[command] : 0;
}

void TargetListCommands::MenuItem3Click(std::vector<int> selected)
{
    const auto nameOfOne = [](const ListRow &r) -> QString {
        return r.cells.value(0) + QLatin1Char('.') + r.caption;
    };
    const auto deleteIds = [this](const QVariantList &ids, QString *error) {
        return DeleteByUniqid(m_db, QStringLiteral("TB_Object"), ids, error);
    };
    if (AskThenDeleteRows(m_model, m_ui, std::move(selected), nameOfOne, deleteIds))
        Q_EMIT totalsChanged(shownCount(m_model.count()));
}

void TargetListCommands::CopyText_Object(std::vector<int> selected, int cell)
{
    QStringList values;
    for (int r : RowsInListOrder(std::move(selected), m_model.count()))
        values << m_model.row(r).cells.value(cell);
    const QString text = values.join(QStringLiteral("\r\n"));
    if (!text.isEmpty())
        m_desktop.setClipboardText(text);
}

QStringList TargetListCommands::exportLines(std::vector<int> selected) const
{
    QStringList lines{CsvLine(m_model.headers())};
    // one field per column: the caption, then the cells up to the last column
    const int cells = static_cast<int>(m_model.headers().size()) - 1;
    for (int r : RowsInListOrder(std::move(selected), m_model.count())) {
        const ListRow &row = m_model.row(r);
        QStringList fields{row.caption};
        for (int c = 0; c < cells; ++c)
            fields << row.cells.value(c);
        lines << CsvLine(fields);
    }
    return lines;
}

void TargetListCommands::MenuItem13Click(std::vector<int> selected)
{
    if (SaveExportLines(m_ui, QStringLiteral("tExport"), exportLines(std::move(selected))))
        m_ui.info(QStringLiteral("完成选中项另存为,请确认."));
}

void TargetListCommands::N67Click(const QString &account)
{
    if (!m_ui.ask(QStringLiteral("是否要清空目标店铺所有已下载数据?")))
        return;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("delete from tb_object\nwhere userid=?"));
    q.addBindValue(account);
    if (!q.exec()) {
        m_ui.message(Interaction::errorCaption(), q.lastError().text(), Interaction::Icon::Error);
        return;
    }
    m_ui.info(QStringLiteral("完成清空目标店铺所有已下载数据，请确认."));
    m_model.clear();
    Q_EMIT totalsChanged(shownCount(0));
}
