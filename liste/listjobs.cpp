#include "liste/listjobs.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "listengine/columnchoice.h"
#include "liste/pathtext.h"
#include "listengine/messagetext.h"

namespace kennfix::liste {
namespace {

enum class JobState { Running, Cancelled, Committing, Done };

using Report = std::function<void(ListJobs&)>;

QString Named(const std::string& path)
{
    return QString::fromStdString(listengine::QuotedForMessage(path));
}

// The report for what ended a job, in German, naming the file.
Report Failure(const std::string& listPath)
{
    const auto failed = [](const QString& message) { return [message](ListJobs& jobs) { emit jobs.failed(message); }; };
    const auto unreadable = [&](const std::string& why) {
        return Named(listPath) + QStringLiteral(" kann nicht als Liste gelesen werden.\n\n") + QString::fromStdString(why);
    };
    try {
        throw;
    } catch (const listengine::MissingColumnsError& e) {
        return [e, message = unreadable(listengine::MissingColumnsMessage(e))](ListJobs& jobs) { emit jobs.columnsMissing(e, message); };
    } catch (const listengine::ListError& e) {
        return failed(unreadable(e.what()));
    } catch (const ListChangedError& e) {
        return [message = QString::fromUtf8(e.what())](ListJobs& jobs) { emit jobs.changedWhileRead(message); };
    } catch (const listengine::FileError& e) {
        return failed(QString::fromUtf8(e.what()));
    } catch (const ListFileError& e) {
        return failed(QString::fromUtf8(e.what()));
    } catch (const std::bad_alloc&) {
        return failed(QStringLiteral("Für ") + Named(listPath) + QStringLiteral(" ist nicht genügend Hauptspeicher verfügbar."));
    } catch (const std::exception&) {
        return failed(QStringLiteral("Unerwarteter Fehler bei ") + Named(listPath) + u'.');
    }
}

}  // namespace

struct ListJobs::Job {
    explicit Job(bool saving) : saving(saving) {}
    const bool saving;
    std::atomic<JobState> state{JobState::Running};
};

// What the threads share with the window's thread; it outlives both.
struct ListJobs::Shared {
    std::mutex mutex;
    ListJobs* owner = nullptr;  // null once the window's jobs are gone
    std::atomic<int> threads{0};
    std::atomic<int> committing{0};

    // Hands a report of `job` to the window's thread, while anyone is there
    // to take it.
    void post(const std::shared_ptr<Job>& job, Report report, bool last)
    {
        const std::lock_guard lock(mutex);
        if (!owner)
            return;
        QMetaObject::invokeMethod(
            owner, [owner = owner, job, report = std::move(report), last] { owner->fromJob(job, report, last); },
            Qt::QueuedConnection);
    }
};

ListJobs::ListJobs(QObject* parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

ListJobs::~ListJobs()
{
    cancel();
    const std::lock_guard lock(m_shared->mutex);
    m_shared->owner = nullptr;
}

void ListJobs::read(const QString& path, const listengine::ListOptions& options)
{
    const std::string file = EnginePath(path);
    start([file, options](const ListProgress& progress, const listengine::OutputFile::BeforeCommit&) -> Report {
        auto list = std::make_shared<const LoadedList>(ReadListFile(file, options, progress));
        return [list](ListJobs& jobs) { emit jobs.readFinished(list); };
    }, file, false);
}

void ListJobs::save(std::shared_ptr<const LoadedList> list, const QString& target)
{
    const std::string file = EnginePath(target);
    start([list, file, target](const ListProgress& progress, const listengine::OutputFile::BeforeCommit& beforeCommit) -> Report {
        SaveListFile(*list, file, progress, beforeCommit);
        return [target](ListJobs& jobs) { emit jobs.saved(target); };
    }, list->path, true);
}

void ListJobs::start(Work work, const std::string& listPath, bool saving)
{
    cancel();
    auto job = std::make_shared<Job>(saving);
    m_current = job;
    ++m_shared->threads;
    const auto run = [shared = m_shared, job, work = std::move(work), listPath] {
        int reported = -1;
        const ListProgress progress = [&](std::uint64_t done, std::uint64_t total) {
            if (job->state != JobState::Running)
                return false;
            const int permille = total == 0 ? 0 : static_cast<int>(std::min(done, total) * 1000 / total);
            if (permille != reported) {
                reported = permille;
                shared->post(job, [permille](ListJobs& jobs) { emit jobs.progress(permille); }, false);
            }
            return true;
        };
        const listengine::OutputFile::BeforeCommit beforeCommit = [&] {
            JobState expected = JobState::Running;
            if (!job->state.compare_exchange_strong(expected, JobState::Committing))
                return false;
            ++shared->committing;
            shared->post(job, [](ListJobs& jobs) { emit jobs.committing(); }, false);
            return true;
        };
        Report outcome;
        try {
            outcome = work(progress, beforeCommit);
        } catch (const listengine::ListCancelled&) {
        } catch (...) {
            outcome = Failure(listPath);
        }
        if (job->state == JobState::Committing) {
            job->state = JobState::Done;
            --shared->committing;
        }
        if (outcome && job->state != JobState::Cancelled)
            shared->post(job, std::move(outcome), true);
        --shared->threads;
    };
    try {
        std::thread(run).detach();
    } catch (const std::system_error&) {
        --m_shared->threads;
        m_shared->post(job, [message = Named(listPath)](ListJobs& jobs) {
            emit jobs.failed(QStringLiteral("Für ") + message + QStringLiteral(" kann keine weitere Arbeit begonnen werden."));
        }, true);
    }
}

void ListJobs::fromJob(const std::shared_ptr<Job>& job, const Report& report, bool last)
{
    if (job != m_current)
        return;
    if (last)
        m_current.reset();
    report(*this);
}

bool ListJobs::cancel()
{
    if (!m_current)
        return true;
    JobState expected = JobState::Running;
    if (!m_current->state.compare_exchange_strong(expected, JobState::Cancelled) && m_current->saving)
        return false;
    m_current.reset();
    return true;
}

bool ListJobs::threadBusy() const
{
    return m_shared->threads > 0;
}

bool ListJobs::abandon(int waitMs)
{
    cancel();
    const QDeadlineTimer deadline(waitMs);
    while (m_shared->committing > 0 && !deadline.hasExpired())
        QThread::msleep(5);
    return m_shared->committing == 0;
}

}  // namespace kennfix::liste
