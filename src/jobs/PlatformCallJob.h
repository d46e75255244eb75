#pragma once

#include "jobs/ComponentJob.h"
#include "top/TopClient.h"

#include <QString>
#include <QStringList>
#include <functional>

// One platform call, or a paged series of them, as a request job of the job
// host, for a method that needs no job of its own: a command hands in a
// request builder and a reply handler and gets the host's pacing, busy guard,
// progress panel with its percentage, cancel, the countdown after a
// transport error (five at most), the waits the platform asks for (error 7,
// 15 time-outs) and the error rules: an error reply or a body that is no
// reply of the platform is shown with the request's prefix and the
// platform's message (PlatformMessages) and ends the job.
//
// Work items are texts the builder understands (an item id, a page number,
// a batch of ids); the handler may add the next page with addItem().
class PlatformCallJob : public ComponentJob
{
    Q_OBJECT
public:
    enum class Outcome { Completed, ErrorReply, Unreadable, NetworkGaveUp, Cancelled };

    using RequestBuilder = std::function<TopRequest(const QString &item)>;
    // Takes one reply (the text of the reply buffer); returns an empty text
    // when it was taken, else why it cannot be read, which ends the job with
    // the request's prefix and that reason.
    using ReplyHandler = std::function<QString(const QString &reply, const QString &item)>;

    // caption: the panel's text, followed by "(N%)".
    PlatformCallJob(JobHost &host, TopClient &client, ProgressPanelState &panel, const QString &caption,
                    RequestBuilder request, ReplyHandler reply, QObject *parent = nullptr);

    // Starts with these work items; false when the host is busy or there is
    // nothing to call.
    bool start(const QStringList &items);
    // Within the reply handler: one more call after the ones left.
    void addItem(const QString &item) { appendItem(item); }

    Outcome outcome() const { return m_outcome; }

Q_SIGNALS:
    // The job is over (every outcome but a start that did not happen).
    void ended(PlatformCallJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override { return m_panel; }
    QString progressCaption(int percent) const override;
    void sendFirst() override;
    void finish() override;
    void onCancelled() override;
    void componentDone(const QByteArray &body) override;
    void componentError(const QString &message) override;

private:
    void over(Outcome outcome);

    TopClient &m_client;
    ProgressPanelState &m_panel;
    QString m_caption;
    RequestBuilder m_request;
    ReplyHandler m_reply;
    TopRequest m_current; // the request in flight, for its error prefix
    Outcome m_outcome = Outcome::Completed;
    bool m_over = true;
};
