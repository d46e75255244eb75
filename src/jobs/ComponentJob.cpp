#include "jobs/ComponentJob.h"

#include "top/WinHTTP.h"

ComponentJob::ComponentJob(JobHost &host, int intervalMs, TransportRule rule, QObject *parent)
    : RequestJob(host, intervalMs, rule, parent)
{
    createComponent();
}

ComponentJob::~ComponentJob()
{
    delete m_http;
}

void ComponentJob::createComponent()
{
    m_http = new TWinHTTP();
    m_http->setAgent(TWinHTTP::browserAgent());
    m_http->setTimeouts(10000);
    connect(m_http, &TWinHTTP::OnDone, this,
            [this](const QString &contentType, qint64, const QByteArray &body) {
                m_contentType = contentType;
                componentDone(body);
            });
    connect(m_http, &TWinHTTP::OnAnyError, this, [this](const QString &message) { componentError(message); });
}

void ComponentJob::replaceComponent()
{
    TWinHTTP *old = m_http;
    old->disconnect(this);
    createComponent();
    old->release();
}
