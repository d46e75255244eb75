#include "sync/DifferenceQuery.h"

#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "sync/DifferenceRows.h"
#include "sync/DifferenceStatement.h"
#include "sync/MatchingKeys.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>

namespace {
const QString kReading = QStringLiteral("读取数据中...");
constexpr int kProgressMs = 100;
} // namespace

DifferenceQuery::DifferenceQuery(const QSqlDatabase &db, ListModel &model, JobHost &jobs, Interaction &ui,
                                 const Settings &settings, QObject *parent)
    : QObject(parent), m_db(db), m_model(model), m_jobs(jobs), m_ui(ui), m_settings(settings)
{
    m_model.setHeaders(DifferenceHeaders());
    m_model.setBanding(true);
    m_options = storedOptions(settings);
}

DifferenceOptions DifferenceQuery::storedOptions(const Settings &settings)
{
    DifferenceOptions o;
    o.account = settings.text(Setting::CurrentAccount);
    const int key = settings.integer(Setting::MatchingKey);
    o.shownKey = o.confirmedKey = MatchingKeys::isValid(key) ? key : 0;
    o.uploadMode = settings.integer(Setting::UploadMode) == 1 ? UploadMode::Incremental : UploadMode::Full;
    o.uniqueOnly = settings.integer(Setting::HideNonUnique) == 1;
    o.formulas = GetFormula(settings);
    return o;
}

QString DifferenceQuery::tooManyDuplicatesText()
{
    return QStringLiteral("检查到目标店铺过多关联值不是唯一的，请维护或改变关联值设定,确保商品可以一一对应.\r\n\r\n"
                          "(可通过“关联值自动检查工具”查看哪些关联值不唯一)");
}

bool DifferenceQuery::run(const SqlStatement &statement, QSqlQuery &q)
{
    m_statements << statement.sql;
    if (m_options.debugMemo)
        m_jobs.debug(statement.sql);
    q.setForwardOnly(true);
    if (!q.prepare(statement.sql))
        return false;
    for (const QVariant &v : statement.values)
        q.addBindValue(v);
    return q.exec();
}

void DifferenceQuery::end()
{
    m_jobs.panel2().hide();
    Q_EMIT controlsEnabled(true);
}

DifferenceQuery::Outcome DifferenceQuery::fail(const QString &error)
{
    // no upload may act on the ticks of an earlier query
    m_model.clear();
    setTotals(DifferenceShownCount(0));
    end();
    m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    return Outcome::Failed;
}

DifferenceQuery::Outcome DifferenceQuery::GetData_TB_Object(const QString &keyword)
{
    if (m_jobs.busy())
        return Outcome::Busy;
    m_statements.clear();
    Q_EMIT controlsEnabled(false);
    ProgressPanelState &panel = m_jobs.panel2();
    panel.show(kReading, false);

    const DifferenceOptions options = m_options;
    const SqlStatement check = DuplicateKeyCheck(options);
    if (!check.sql.isEmpty()) {
        panel.setCaption(kReading + QStringLiteral("(检查关联值)"));
        QSqlQuery q(m_db);
        if (!run(check, q))
            return fail(q.lastError().text());
        int duplicates = 0;
        while (duplicates <= ToleratedDuplicateKeys && q.next())
            ++duplicates;
        if (duplicates > ToleratedDuplicateKeys) {
            m_ui.warn(tooManyDuplicatesText());
            m_model.clear();
            setTotals(DifferenceShownCount(0));
            end();
            return Outcome::Refused;
        }
    }
    for (const SqlStatement &s : UniquenessStatements(options)) {
        QSqlQuery q(m_db);
        if (!run(s, q))
            return fail(q.lastError().text());
    }

    panel.setCaption(kReading);
    const SqlStatement select = DifferenceSelect(options, keyword);
    int total = 0;
    {
        QSqlQuery q(m_db);
        if (!run(DifferenceCount(select), q))
            return fail(q.lastError().text());
        if (q.next())
            total = q.value(0).toInt();
    }
    QSqlQuery q(m_db);
    if (!run(select, q))
        return fail(q.lastError().text());

    const DifferenceRowBuilder builder(options);
    std::vector<ListRow> rows;
    rows.reserve(static_cast<size_t>(total));
    QElapsedTimer shown;
    shown.start();
    int n = 0;
    DifferenceRecord record;
    while (q.next()) {
        ++n;
        for (int c = 0; c < DifferenceColumnCount; ++c)
            record[static_cast<size_t>(c)] = q.value(c).toString();
        if (std::optional<ListRow> row = builder.build(record))
            rows.push_back(std::move(*row));
        if (shown.elapsed() >= kProgressMs) {
            const int of = std::max(n, total);
            panel.setCaption(kReading + QStringLiteral("(") + QString::number(n) + QLatin1Char('/') +
                             QString::number(of) + QLatin1Char(')'));
            Q_EMIT progress(n, of);
            shown.restart();
        }
    }
    if (q.lastError().isValid())
        return fail(q.lastError().text());

    m_model.setTextColorRule(DifferenceTextColor(options.uploadMode, options.base()));
    m_model.setRows(std::move(rows));
    setTotals(DifferenceShownCount(m_model.count()));
    setUpdateLabel(QStringLiteral("目标店铺更新时间:") + m_settings.text(Setting::TargetDownloadTime));
    if (options.view == ViewFilter::All)
        GetTotal_Object();
    if (options.storeUniqueOnly)
        m_settings.setFlag(Setting::HideNonUnique, options.uniqueOnly);
    end();
    return Outcome::Completed;
}

void DifferenceQuery::GetTotal_Object()
{
    setTotals(DifferenceTotals(m_model));
}

int DifferenceQuery::GetUploadIndex() const
{
    for (int r = 0; r < m_model.count(); ++r)
        if (m_model.isChecked(r))
            return r;
    return -1;
}

void DifferenceQuery::checkAll()
{
    m_model.setAllChecked(true);
}

void DifferenceQuery::uncheckAll()
{
    m_model.setAllChecked(false);
}

void DifferenceQuery::checkSelected(const std::vector<int> &rows)
{
    for (int r : rows)
        if (r >= 0 && r < m_model.count())
            m_model.setChecked(r, true);
}

void DifferenceQuery::uncheckSelected(const std::vector<int> &rows)
{
    for (int r : rows)
        if (r >= 0 && r < m_model.count())
            m_model.setChecked(r, false);
}

void DifferenceQuery::setTotals(const QString &text)
{
    m_totals = text;
    Q_EMIT totalsChanged(text);
}

void DifferenceQuery::setUpdateLabel(const QString &text)
{
    m_updateLabel = text;
    Q_EMIT updateLabelChanged(text);
}
