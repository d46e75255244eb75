#include "sync/ShopRowJob.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "store/UploadJournal.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

ShopRowJob::ShopRowJob(JobHost &host, TopClient &client, const QSqlDatabase &db, ListModel &model, QObject *parent)
    : RequestJob(host, 200, TransportRule::NoRetry, parent), m_client(client), m_db(db), m_model(model)
{
    createComponent();
}

ShopRowJob::~ShopRowJob()
{
    delete m_http;
}

void ShopRowJob::createComponent()
{
    m_http = new TWinHTTP();
    m_http->setAgent(TWinHTTP::browserAgent());
    m_http->setTimeouts(10000);
    connect(m_http, &TWinHTTP::OnDone, this, &ShopRowJob::httpDone);
    connect(m_http, &TWinHTTP::OnAnyError, this, &ShopRowJob::httpAnyError);
}

void ShopRowJob::replaceComponent()
{
    TWinHTTP *old = m_http;
    old->disconnect(this);
    createComponent();
    old->release();
}

ProgressPanelState &ShopRowJob::panel()
{
    return host().panel2();
}

void ShopRowJob::onCancelled()
{
    over(Outcome::Cancelled);
}

void ShopRowJob::over(Outcome outcome)
{
    m_outcome = outcome;
    Q_EMIT ended(outcome);
}

void ShopRowJob::reloadList()
{
    if (m_reload)
        m_reload();
}

int ShopRowJob::firstTicked() const
{
    for (int r = 0; r < m_model.count(); ++r)
        if (m_model.isChecked(r))
            return r;
    return -1;
}

QString ShopRowJob::startedBy() const
{
    return const_cast<ShopRowJob *>(this)->host().planRunning() ? QStringLiteral("plan") : QStringLiteral("person");
}

void ShopRowJob::journal(JournalEntry entry)
{
    entry.at = Clock::now();
    entry.startedBy = startedBy();
    QString error;
    if (!UploadJournal(m_db).append(entry, &error))
        host().debug(QStringLiteral("Error:") + error);
}

void ShopRowJob::databaseError(const QString &error)
{
    host().debug(QStringLiteral("Error:") + error);
    host().ui().message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    panel().hide();
    end();
    over(Outcome::DatabaseError);
}

void ShopRowJob::httpDone(const QString &, qint64, const QByteArray &body)
{
    TopIntake reply = m_client.intake(body, QString());
    if (!reply.ok()) {
        reply.message = errorPrefix(reply.errorText) + reply.message; // the intake's explanation
        if (errorReply(reply) == ErrorReplyEnd::Ended)
            over(Outcome::ErrorReply);
        return;
    }
    rowSucceeded(m_client.replyBuffer());
}

void ShopRowJob::httpAnyError(const QString &message)
{
    const bool cancelled = wasCancelled();
    transportError(QStringLiteral("网络通讯错误: ") + message);
    if (!cancelled)
        over(Outcome::NetworkError);
}
