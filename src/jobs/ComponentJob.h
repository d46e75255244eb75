#pragma once

#include "jobs/RequestJob.h"

#include <QByteArray>
#include <QString>

class TWinHTTP;

// A request job with an HTTP component of its own, placed as the main
// window places its download components: the browser's agent and 10 s
// time-outs. A transport error replaces the component by a fresh one with
// the same two handlers; the old one finishes its request and goes.
class ComponentJob : public RequestJob
{
    Q_OBJECT
public:
    ComponentJob(JobHost &host, int intervalMs, TransportRule rule, QObject *parent = nullptr);
    ~ComponentJob() override;

    TWinHTTP *component() const { return m_http; }

protected:
    // The component's completion and error events.
    virtual void componentDone(const QByteArray &body) = 0;
    virtual void componentError(const QString &message) = 0;
    void replaceComponent() override;
    // The Content-Type of the reply componentDone() is handling.
    const QString &replyContentType() const { return m_contentType; }

private:
    void createComponent();

    TWinHTTP *m_http = nullptr;
    QString m_contentType;
};
