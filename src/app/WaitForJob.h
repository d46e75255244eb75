#pragma once

#include "jobs/RequestJob.h"

#include <QEventLoop>
#include <functional>
#include <optional>

// The one way a command runs a request job: start it, run an event loop
// until the job's ended(Outcome) signal, and hand back the outcome; nothing
// when the job did not start (busy, nothing to do: it said why). A job that
// ended within its start is not waited for. The command maps the outcome to
// its exit code.
//
//   const auto outcome = WaitForJob(job, &SourceDownloadJob::ended, [&] { return job.FromDownloadClick(); });
//   if (!outcome) return 1;
template <class Job, class SignalOwner, class Outcome>
std::optional<Outcome> WaitForJob(Job &job, void (SignalOwner::*ended)(Outcome), const std::function<bool()> &start)
{
    static_assert(std::is_base_of_v<RequestJob, Job> && std::is_base_of_v<SignalOwner, Job>);
    QEventLoop loop;
    std::optional<Outcome> outcome;
    const QMetaObject::Connection c = QObject::connect(&job, ended, &loop, [&](Outcome o) {
        outcome = o;
        loop.quit();
    });
    const bool started = start();
    if (started && !outcome && job.running())
        loop.exec();
    QObject::disconnect(c);
    if (!started)
        return std::nullopt;
    return outcome;
}
