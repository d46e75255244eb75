#include "sync/DifferenceQuery.h"

#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/ReadAside.h"
#include "store/Settings.h"
#include "sync/DifferenceRows.h"
#include "sync/DifferenceStatement.h"
#include "sync/MatchingKeys.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>

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
    connect(&m_model, &ListModel::fillProgress, this, [this](int rows) {
        if (m_fillRunning)
            setTotals(kReading + QStringLiteral("(") + QString::number(rows) + QStringLiteral(")"));
    });
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
    m_fillRunning = false;
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

    DifferenceOptions options = m_options;
    options.normalisedKeys = m_settings.flag(Setting::NormalisedKeys);
    // an unfinished fill of the last query lets go of its statement first
    m_model.clear();
    // The duplicate-key check groups all the accounts' rows: it runs on a
    // connection of its own while the first rows come in, and the fill ends
    // only with its answer. Too many duplicates empty the list again.
    const SqlStatement check = DuplicateKeyCheck(options);
    std::shared_future<AsideCount> duplicates;
    if (!check.sql.isEmpty()) {
        m_statements << check.sql;
        if (m_options.debugMemo)
            m_jobs.debug(check.sql);
        duplicates = CountRowsAside(m_db, check.sql, check.values, ToleratedDuplicateKeys);
    }
    for (const SqlStatement &s : UniquenessStatements(options)) {
        QSqlQuery q(m_db);
        if (!run(s, q))
            return fail(q.lastError().text());
    }

    for (const SqlStatement &s : NormalisedBaseStatements(options)) {
        QSqlQuery q(m_db);
        if (!run(s, q))
            return fail(q.lastError().text());
    }

    panel.setCaption(kReading);
    const SqlStatement select = DifferenceSelect(options, keyword);
    auto q = std::make_shared<QSqlQuery>(m_db);
    if (!run(select, *q))
        return fail(q->lastError().text());

    // The first screen of rows at once, the rest in chunks: in the window
    // between other events (a job that starts meanwhile lets the list finish
    // reading first), elsewhere before this returns.
    auto read = std::make_shared<int>(0);
    auto error = std::make_shared<QString>();
    auto refused = std::make_shared<bool>(false);
    const DifferenceRowBuilder builder(options);
    m_model.setTextColorRule(DifferenceTextColor(options.uploadMode, options.base()));
    m_model.fill(
        [q, read, error, refused, duplicates, builder](std::vector<ListRow> &out, int max) {
            DifferenceRecord record;
            for (int n = 0; n < max; ++n) {
                if (!q->next()) {
                    if (q->lastError().isValid())
                        *error = q->lastError().text();
                    if (error->isEmpty() && duplicates.valid()) {
                        const AsideCount &c = duplicates.get();
                        if (!c.error.isEmpty())
                            *error = c.error;
                        else
                            *refused = c.rows > ToleratedDuplicateKeys;
                    }
                    return false;
                }
                ++*read;
                for (int c = 0; c < DifferenceColumnCount; ++c)
                    record[static_cast<size_t>(c)] = q->value(c).toString();
                if (std::optional<ListRow> row = builder.build(record))
                    out.push_back(std::move(*row));
            }
            return true;
        },
        [this, read, error, refused, options, q]() mutable {
            q.reset();
            m_fillRunning = false;
            if (!error->isEmpty()) {
                fail(*error);
                return;
            }
            if (*refused) {
                m_model.clear();
                setTotals(DifferenceShownCount(0));
                end();
                m_ui.warn(tooManyDuplicatesText());
                return;
            }
            // the uniqueness choice is kept by a query that shows its rows
            if (options.storeUniqueOnly)
                m_settings.setFlag(Setting::HideNonUnique, options.uniqueOnly);
            setTotals(DifferenceShownCount(m_model.count()));
            if (options.view == ViewFilter::All)
                GetTotal_Object();
            Q_EMIT filled();
        });
    if (m_jobs.planRunning())
        m_model.finishFill(); // the plan uploads from the whole list next
    if (m_model.filling()) {
        // the window goes on while the rest comes in
        m_fillRunning = true;
        setTotals(kReading + QStringLiteral("(") + QString::number(m_model.count()) + QStringLiteral(")"));
    }
    setUpdateLabel(QStringLiteral("目标店铺更新时间:") + m_settings.text(Setting::TargetDownloadTime));
    if (!error->isEmpty())
        return Outcome::Failed;
    if (*refused)
        return Outcome::Refused;
    end();
    return Outcome::Completed;
}

void DifferenceQuery::GetTotal_Object()
{
    setTotals(DifferenceTotals(m_model));
}

int DifferenceQuery::GetUploadIndex() const
{
    m_model.finishFill();
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
