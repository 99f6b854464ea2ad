#include "listjobs.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <functional>
#include <new>

#include "files.h"
#include "text.h"

namespace kennfix::liste {
namespace {

QString Named(const std::string& path)
{
    return QString::fromStdString(batch::Quoted(batch::ForMessage(path)));
}

// The message for what ended a job, in German, naming the file.
QString FailureMessage(const std::string& listPath)
{
    try {
        throw;
    } catch (const batch::ListError& e) {
        return Named(listPath) + QStringLiteral(" kann nicht als Liste gelesen werden.\n\n") + QString::fromUtf8(e.what());
    } catch (const batch::FileError& e) {
        return QString::fromUtf8(e.what());
    } catch (const ListFileError& e) {
        return QString::fromUtf8(e.what());
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Für ") + Named(listPath) + QStringLiteral(" ist nicht genügend Hauptspeicher verfügbar.");
    } catch (const std::exception&) {
        return QStringLiteral("Unerwarteter Fehler bei ") + Named(listPath) + u'.';
    }
}

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace

ListJobs::ListJobs(QObject* parent) : QObject(parent), m_worker(new QObject)
{
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("Listenarbeit"));
    m_thread.start();
}

ListJobs::~ListJobs()
{
    cancel();
    m_thread.quit();
    m_thread.wait();
}

void ListJobs::read(const QString& path, const batch::ListOptions& options)
{
    const std::string file = LocalPath(path);
    start([this, file, options](const ListProgress& progress) -> std::function<void()> {
        auto list = std::make_shared<const LoadedList>(ReadListFile(file, options, progress));
        return [this, list] { emit readFinished(list); };
    }, file, false);
}

void ListJobs::save(std::shared_ptr<const LoadedList> list, const QString& target)
{
    const std::string file = LocalPath(target);
    start([this, list, file, target](const ListProgress& progress) -> std::function<void()> {
        SaveListFile(*list, file, progress);
        return [this, target] { emit saved(target); };
    }, list->path, true);
}

template <typename Work>
void ListJobs::start(Work work, const std::string& listPath, bool saving)
{
    cancel();
    const std::uint64_t job = ++m_lastJob;
    m_current = job;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    ++m_queued;
    m_savesQueued += saving;
    QMetaObject::invokeMethod(
        m_worker,
        [this, job, cancel = m_cancel, work = std::move(work), listPath, saving] {
            const auto finished = qScopeGuard([this, saving] {
                m_savesQueued -= saving;
                --m_queued;
            });
            if (*cancel)
                return;
            int reported = -1;
            const ListProgress progress = [&](std::uint64_t done, std::uint64_t total) {
                if (*cancel)
                    return false;
                const int permille = total == 0 ? 0 : static_cast<int>(std::min(done, total) * 1000 / total);
                if (permille != reported) {
                    reported = permille;
                    QMetaObject::invokeMethod(this, [this, job, permille] { report(job, permille); }, Qt::QueuedConnection);
                }
                return true;
            };
            std::function<void()> outcome;
            try {
                outcome = work(progress);
            } catch (const batch::ListCancelled&) {
            } catch (...) {
                outcome = [this, message = FailureMessage(listPath)] { emit failed(message); };
            }
            if (outcome && !*cancel) {
                QMetaObject::invokeMethod(
                    this,
                    [this, job, outcome] {
                        if (job != m_current)
                            return;
                        m_current = 0;
                        outcome();
                    },
                    Qt::QueuedConnection);
            }
        },
        Qt::QueuedConnection);
}

void ListJobs::report(std::uint64_t job, int permille)
{
    if (job == m_current)
        emit progress(permille);
}

void ListJobs::cancel()
{
    if (m_cancel)
        *m_cancel = true;
    m_current = 0;
}

bool ListJobs::abandon(int waitMs)
{
    cancel();
    const QDeadlineTimer deadline(waitMs);
    while (m_savesQueued > 0 && !deadline.hasExpired())
        QThread::msleep(5);
    return m_queued == 0;
}

}  // namespace kennfix::liste
