#include "history/ui/UploadHistoryWindow.h"

#include "app/Application.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "sync/Revert.h"
#include "top/TopClient.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSaveFile>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

using ui::named;

namespace {

QTableView *table(QWidget *parent, const QString &name, QStandardItemModel *model)
{
    auto *v = named(new QTableView(parent), name);
    v->setModel(model);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::ExtendedSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setAlternatingRowColors(true);
    v->setWordWrap(false);
    v->verticalHeader()->setVisible(false);
    v->verticalHeader()->setDefaultSectionSize(22);
    v->horizontalHeader()->setHighlightSections(false);
    v->horizontalHeader()->setStretchLastSection(true);
    return v;
}

void fill(QStandardItemModel *model, const QStringList &captions, const QList<QStringList> &rows,
          const QList<QColor> &colours)
{
    model->clear();
    model->setColumnCount(captions.size());
    model->setHorizontalHeaderLabels(captions);
    model->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c) {
            auto *item = new QStandardItem(rows.at(r).at(c));
            if (colours.at(r).isValid())
                item->setForeground(colours.at(r));
            model->setItem(r, c, item);
        }
}

} // namespace

TfrmUploadHistory::TfrmUploadHistory(const QSqlDatabase &db, Interaction &interaction, Desktop &desktop,
                                     ItemPage itemPage, QWidget *parent)
    : QDialog(parent), m_db(db), m_ui(interaction), m_desktop(desktop), m_itemPage(std::move(itemPage)),
      m_history(db)
{
    setObjectName(QStringLiteral("frmUploadHistory"));
    setWindowTitle(QStringLiteral("上传记录"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(1100, 600);

    // the filter bar
    auto *bar = new QHBoxLayout;
    m_byDate = ui::checkBox(this, QStringLiteral("_HistoryByDate"), QStringLiteral("日期"));
    const QDate today = Clock::now().date();
    m_from = named(new QDateEdit(today.addDays(-7), this), QStringLiteral("_HistoryFrom"));
    m_to = named(new QDateEdit(today, this), QStringLiteral("_HistoryTo"));
    for (QDateEdit *d : {m_from, m_to}) {
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setCalendarPopup(true);
        d->setEnabled(false);
    }
    connect(m_byDate, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_byDate, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
    m_account = named(new QComboBox(this), QStringLiteral("_HistoryAccount"));
    m_account->setMinimumWidth(120);
    m_kind = named(new QComboBox(this), QStringLiteral("_HistoryKind"));
    for (const auto &c : UploadHistory::kindChoices())
        m_kind->addItem(c.second, c.first);
    m_state = named(new QComboBox(this), QStringLiteral("_HistoryState"));
    for (const auto &c : UploadHistory::stateChoices())
        m_state->addItem(c.second, c.first);
    m_keyword = named(new QLineEdit(this), QStringLiteral("_HistoryKeyword"));
    m_keyword->setPlaceholderText(QStringLiteral("宝贝名称 / 数字ID / 颜色 / 尺码"));
    m_keyword->setClearButtonEnabled(true);
    auto *query = ui::button(this, QStringLiteral("_HistoryQuery"), QStringLiteral("查询"));
    bar->addWidget(m_byDate);
    bar->addWidget(m_from);
    bar->addWidget(ui::label(this, QStringLiteral("至")));
    bar->addWidget(m_to);
    bar->addSpacing(8);
    bar->addWidget(ui::label(this, QStringLiteral("帐号:")));
    bar->addWidget(m_account);
    bar->addWidget(m_kind);
    bar->addWidget(m_state);
    bar->addWidget(ui::label(this, QStringLiteral("关键字:")));
    bar->addWidget(m_keyword, 1);
    bar->addWidget(query);

    // the two lists
    m_model = new QStandardItemModel(this);
    m_cycleModel = new QStandardItemModel(this);
    m_pages = named(new QTabWidget(this), QStringLiteral("_HistoryPages"));
    m_view = table(m_pages, QStringLiteral("_HistoryList"), m_model);
    m_cycleView = table(m_pages, QStringLiteral("_CycleList"), m_cycleModel);
    m_pages->addTab(m_view, QStringLiteral("上传记录"));
    m_pages->addTab(m_cycleView, QStringLiteral("同步记录"));

    // the commands
    auto *buttons = new QHBoxLayout;
    m_total = ui::label(this, QString(), QStringLiteral("_HistoryTotal"));
    auto *copy = ui::button(this, QStringLiteral("_HistoryCopy"), QStringLiteral("复制"));
    auto *exportCsv = ui::button(this, QStringLiteral("_HistoryExport"), QStringLiteral("导出 CSV..."));
    auto *page = ui::button(this, QStringLiteral("_HistoryOpenPage"), QStringLiteral("打开宝贝页面"));
    m_revertCycle = ui::button(this, QStringLiteral("_HistoryRevertCycle"), QStringLiteral("撤销这次同步"));
    m_revertRows = ui::button(this, QStringLiteral("_HistoryRevertRows"), QStringLiteral("撤销选中的记录"));
    m_revertCycle->setToolTip(QStringLiteral("把选中的同步更改的库存和价格改回更新前的值 (上架/下架不撤销)"));
    m_revertRows->setToolTip(QStringLiteral("把选中的记录更改的库存和价格改回更新前的值 (上架/下架不撤销)"));
    auto *refresh = ui::button(this, QStringLiteral("_HistoryRefresh"), QStringLiteral("刷新"));
    auto *close = ui::button(this, QStringLiteral("_HistoryClose"), QStringLiteral("关闭"));
    copy->setToolTip(QStringLiteral("复制选中的行 (没有选中时复制全部), 以制表符分隔"));
    exportCsv->setToolTip(QStringLiteral("把列表中的记录保存为 CSV 文件 (UTF-8)"));
    buttons->addWidget(m_total, 1);
    buttons->addWidget(copy);
    buttons->addWidget(exportCsv);
    buttons->addWidget(page);
    buttons->addWidget(m_revertCycle);
    buttons->addWidget(m_revertRows);
    buttons->addWidget(refresh);
    buttons->addWidget(close);

    auto *column = new QVBoxLayout(this);
    column->addLayout(bar);
    column->addWidget(m_pages, 1);
    column->addLayout(buttons);

    connect(query, &QPushButton::clicked, this, &TfrmUploadHistory::RefreshClick);
    connect(m_keyword, &QLineEdit::returnPressed, this, &TfrmUploadHistory::RefreshClick);
    for (QComboBox *box : {m_account, m_kind, m_state})
        connect(box, &QComboBox::activated, this, &TfrmUploadHistory::RefreshClick);
    connect(refresh, &QPushButton::clicked, this, &TfrmUploadHistory::RefreshClick);
    connect(copy, &QPushButton::clicked, this, &TfrmUploadHistory::CopyClick);
    connect(exportCsv, &QPushButton::clicked, this, &TfrmUploadHistory::ExportClick);
    connect(page, &QPushButton::clicked, this, &TfrmUploadHistory::OpenPageClick);
    connect(m_view, &QTableView::doubleClicked, this, &TfrmUploadHistory::OpenPageClick);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_pages, &QTabWidget::currentChanged, this, [this, copy, exportCsv, page](int index) {
        copy->setEnabled(index == 0);
        page->setEnabled(index == 0);
        exportCsv->setEnabled(true);
        updateRevertCommands();
    });
    connect(m_revertCycle, &QPushButton::clicked, this, &TfrmUploadHistory::RevertCycleClick);
    connect(m_revertRows, &QPushButton::clicked, this, &TfrmUploadHistory::RevertRowsClick);
    // the same commands on the lists' context menus
    auto *revertCycle = new QAction(QStringLiteral("撤销这次同步"), m_cycleView);
    auto *revertRows = new QAction(QStringLiteral("撤销选中的记录"), m_view);
    connect(revertCycle, &QAction::triggered, this, &TfrmUploadHistory::RevertCycleClick);
    connect(revertRows, &QAction::triggered, this, &TfrmUploadHistory::RevertRowsClick);
    m_cycleView->addAction(revertCycle);
    m_view->addAction(revertRows);
    m_cycleView->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    updateRevertCommands();
}

void TfrmUploadHistory::setApplication(Application *app)
{
    m_app = app;
    updateRevertCommands();
}

void TfrmUploadHistory::updateRevertCommands()
{
    const bool can = m_app && !m_reverting;
    m_revertCycle->setVisible(m_pages->currentIndex() == 1);
    m_revertRows->setVisible(m_pages->currentIndex() == 0);
    m_revertCycle->setEnabled(can);
    m_revertRows->setEnabled(can);
    for (QTableView *v : {m_view, m_cycleView})
        for (QAction *a : v->actions())
            a->setEnabled(can);
}

void TfrmUploadHistory::RevertCycleClick()
{
    if (!m_app || m_reverting)
        return;
    const QModelIndexList picked = m_cycleView->selectionModel()->selectedRows();
    const QModelIndex current = m_cycleView->currentIndex();
    const int row = !picked.isEmpty() ? picked.first().row() : current.isValid() ? current.row() : -1;
    if (row < 0 || row >= m_cycles.size()) {
        m_ui.warn(QStringLiteral("请先在\"同步记录\"中选择一次同步."));
        return;
    }
    RevertSelection selection;
    selection.cycleId = m_cycles.at(row).id;
    startRevert(selection);
}

void TfrmUploadHistory::RevertRowsClick()
{
    if (!m_app || m_reverting)
        return;
    RevertSelection selection;
    for (const QModelIndex &i : m_view->selectionModel()->selectedRows())
        if (i.row() >= 0 && i.row() < m_rows.size())
            selection.ids << m_rows.at(i.row()).id;
    if (selection.ids.isEmpty()) {
        m_ui.warn(QStringLiteral("请先在\"上传记录\"中选择要撤销的记录."));
        return;
    }
    startRevert(selection);
}

void TfrmUploadHistory::startRevert(const RevertSelection &given)
{
    // the session is that of the account selected in the main window
    if (m_app->client().sessionKey().isEmpty() || m_app->currentAccount().trimmed().isEmpty()) {
        m_ui.warn(QStringLiteral("撤销需要店铺的管理权限, 请先\"登录\"店铺帐号."));
        return;
    }
    if (m_app->jobs().busy()) {
        m_ui.warn(QStringLiteral("另一个任务正在执行, 请等它结束后再撤销."));
        return;
    }
    if (!m_revert) {
        m_revert = new RevertRun(m_app->jobs(), m_app->client(), m_app->db(), this);
        connect(m_revert, &RevertRun::readBackDone, this, &TfrmUploadHistory::revertReadBack);
        connect(m_revert, &RevertRun::finished, this, &TfrmUploadHistory::revertFinished);
    }
    RevertSelection selection = given;
    selection.account = m_app->currentAccount().trimmed();
    QString error;
    if (!m_revert->plan(selection, &error)) {
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
        return;
    }
    m_reverting = true;
    updateRevertCommands();
    if (!m_revert->readBack())
        revertReadBack(true);
}

void TfrmUploadHistory::revertReadBack(bool ok)
{
    if (!m_reverting)
        return;
    const auto over = [this] {
        m_reverting = false;
        updateRevertCommands();
    };
    if (!ok) {
        over();
        m_ui.message(Interaction::errorCaption(), m_revert->failure(), Interaction::Icon::Error);
        return;
    }
    if (m_revert->revertableCount() == 0) {
        over();
        m_ui.warn(QStringLiteral("没有可以撤销的记录.\r\n") + m_revert->planText());
        return;
    }
    const QString question = m_revert->planText() +
                             QStringLiteral("\r\n\r\n是否要撤销? 撤销本身也会作为一次同步记在上传记录中.");
    if (!m_ui.question(Interaction::tipCaption(), question, Interaction::Icon::Warning)) {
        over();
        return;
    }
    if (!m_revert->run(GuardPolicy::Ask)) {
        over();
        if (m_revert->outcome() == RevertRun::Outcome::NothingToDo)
            m_ui.warn(QStringLiteral("没有可以撤销的记录.\r\n") + m_revert->planText());
        else
            m_ui.warn(m_revert->failure());
    }
}

void TfrmUploadHistory::revertFinished()
{
    m_reverting = false;
    updateRevertCommands();
    RefreshClick();
    int reverted = 0;
    QStringList notDone;
    for (const RevertRow &r : m_revert->rows()) {
        if (r.reverted)
            ++reverted;
        else if (r.revertable())
            notDone << QStringLiteral("  ") + r.title + QStringLiteral(" (ID ") + r.numIid + QStringLiteral("): ") + r.result;
    }
    if (reverted > 0)
        Q_EMIT shopChanged();
    QString text = QStringLiteral("已撤销 %1 行.").arg(reverted);
    if (!notDone.isEmpty())
        text += QStringLiteral("\r\n没有撤销的:\r\n") + notDone.join(QStringLiteral("\r\n"));
    switch (m_revert->outcome()) {
    case RevertRun::Outcome::Completed:
    case RevertRun::Outcome::NothingToDo:
        if (notDone.isEmpty())
            m_ui.info(QStringLiteral("撤销完成: ") + text);
        else
            m_ui.warn(QStringLiteral("撤销完成: ") + text);
        return;
    case RevertRun::Outcome::Held:
        m_ui.warn(QStringLiteral("上传保护: 本次没有撤销.\r\n") + m_revert->preview().text());
        return;
    case RevertRun::Outcome::Failed:
        m_ui.message(Interaction::errorCaption(),
                     QStringLiteral("撤销没有完成: ") + m_revert->failure() + QStringLiteral("\r\n") + text,
                     Interaction::Icon::Error);
        return;
    }
}

void TfrmUploadHistory::showEvent(QShowEvent *event)
{
    loadAccounts();
    RefreshClick();
    QDialog::showEvent(event);
}

void TfrmUploadHistory::loadAccounts()
{
    const QString current = m_account->currentData().toString();
    m_account->clear();
    m_account->addItem(QStringLiteral("全部帐号"), QString());
    for (const QString &a : m_history.accounts())
        m_account->addItem(a, a);
    const int at = m_account->findData(current);
    m_account->setCurrentIndex(at < 0 ? 0 : at);
}

HistoryFilter TfrmUploadHistory::filter() const
{
    HistoryFilter f;
    if (m_byDate->isChecked()) {
        f.from = m_from->date();
        f.to = m_to->date();
    }
    f.account = m_account->currentData().toString();
    f.kind = m_kind->currentData().toString();
    f.state = m_state->currentData().toString();
    f.keyword = m_keyword->text();
    return f;
}

void TfrmUploadHistory::RefreshClick()
{
    QString error;
    const HistoryFilter f = filter();
    m_rows = m_history.rows(f, &error);
    if (error.isEmpty())
        m_cycles = m_history.cycles(f, &error);
    if (!error.isEmpty())
        m_ui.message(Interaction::errorCaption(), QStringLiteral("无法读取上传记录: ") + error,
                     Interaction::Icon::Error);

    QList<QStringList> cells;
    QList<QColor> colours;
    int refused = 0;
    for (const HistoryRow &r : std::as_const(m_rows)) {
        cells << UploadHistory::cells(r);
        // refused rows red, rows whose outcome is open blue
        if (r.state == QStringLiteral("refused")) {
            colours << QColor(200, 0, 0);
            ++refused;
        } else if (r.state == QStringLiteral("unsettled") || r.state == QStringLiteral("sent")) {
            colours << QColor(0, 0, 200);
        } else {
            colours << QColor();
        }
    }
    fill(m_model, UploadHistory::captions(), cells, colours);
    m_view->resizeColumnsToContents();
    if (m_view->columnWidth(2) > 320)
        m_view->setColumnWidth(2, 320);

    QList<QStringList> cycleCells;
    QList<QColor> cycleColours;
    for (const CycleRow &c : std::as_const(m_cycles)) {
        cycleCells << UploadHistory::cycleCells(c);
        cycleColours << (c.error.isEmpty() ? QColor() : QColor(200, 0, 0));
    }
    fill(m_cycleModel, UploadHistory::cycleCaptions(), cycleCells, cycleColours);
    m_cycleView->resizeColumnsToContents();

    m_total->setText(QStringLiteral("共 %1 条记录").arg(m_rows.size()) +
                     (refused ? QStringLiteral(", 其中被拒绝 %1 条").arg(refused) : QString()) +
                     QStringLiteral("; 同步 %1 次").arg(m_cycles.size()));
}

QList<HistoryRow> TfrmUploadHistory::selectedRows() const
{
    QList<HistoryRow> out;
    const QModelIndexList picked = m_view->selectionModel()->selectedRows();
    if (picked.isEmpty())
        return m_rows;
    QList<int> rows;
    for (const QModelIndex &i : picked)
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    for (int r : rows)
        if (r >= 0 && r < m_rows.size())
            out << m_rows.at(r);
    return out;
}

void TfrmUploadHistory::CopyClick()
{
    const QList<HistoryRow> rows = selectedRows();
    if (rows.isEmpty()) {
        m_ui.warn(QStringLiteral("没有可复制的记录."));
        return;
    }
    m_desktop.setClipboardText(UploadHistory::copyText(rows));
}

void TfrmUploadHistory::ExportClick()
{
    const bool cycles = m_pages->currentIndex() == 1;
    if (cycles ? m_cycles.isEmpty() : m_rows.isEmpty()) {
        m_ui.warn(QStringLiteral("没有可导出的记录."));
        return;
    }
    const QString suggested = (cycles ? QStringLiteral("同步记录_") : QStringLiteral("上传记录_")) +
                              Clock::now().toString(QStringLiteral("yyyyMMdd_HHmm")) + QStringLiteral(".csv");
    const QString path = m_ui.saveFileName(QStringLiteral("导出为 CSV 文件"), QStringLiteral("CSV 文件 (*.csv)"),
                                           suggested);
    if (path.isEmpty())
        return;
    const QByteArray bytes = cycles ? UploadHistory::cyclesCsv(m_cycles) : UploadHistory::historyCsv(m_rows);
    // a file is either written whole or left as it was
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_ui.message(Interaction::errorCaption(),
                     QStringLiteral("无法保存文件: ") + QDir::toNativeSeparators(path) + QStringLiteral("\r\n") +
                         file.errorString(),
                     Interaction::Icon::Error);
        return;
    }
    m_ui.info(QStringLiteral("已导出 %1 条记录到 ").arg(cycles ? m_cycles.size() : m_rows.size()) +
              QDir::toNativeSeparators(path));
}

void TfrmUploadHistory::OpenPageClick()
{
    const QModelIndex current = m_view->currentIndex();
    int row = current.isValid() ? current.row() : -1;
    if (row < 0) {
        const QModelIndexList picked = m_view->selectionModel()->selectedRows();
        if (!picked.isEmpty())
            row = picked.first().row();
    }
    if (row < 0 || row >= m_rows.size()) {
        m_ui.warn(QStringLiteral("请先选择一条记录."));
        return;
    }
    const QString id = m_rows.at(row).numIid.trimmed();
    if (id.isEmpty() || !m_itemPage)
        return;
    m_desktop.openUrl(m_itemPage(id));
}
