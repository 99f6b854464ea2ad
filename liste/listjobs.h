#pragma once

// The list window's work off its thread: reading a list and saving it run on
// a thread of their own, one job after the other, so that the window goes
// on painting and answering. Progress comes back through queued signals; a
// job is cancelled through its progress callback, which the engine calls
// about every 64 KiB, and the window hears no more of it from the moment it
// cancels.

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <memory>

#include "listfile.h"

namespace kennfix::liste {

class ListJobs : public QObject {
    Q_OBJECT
public:
    explicit ListJobs(QObject* parent = nullptr);
    // Cancels what runs and waits for the thread, which a cancelled job
    // leaves at its next progress check. A program that ends at once calls
    // abandon() and never destroys this object.
    ~ListJobs() override;

    // Reads the list at `path`; ends in readFinished or failed. Cancels a
    // job that runs.
    void read(const QString& path, const batch::ListOptions& options);
    // Saves `list` to `target`; ends in saved or failed.
    void save(std::shared_ptr<const LoadedList> list, const QString& target);
    // Drops the running job: no signal of it follows.
    void cancel();

    // Whether a job the window waits for runs.
    bool running() const { return m_current != 0; }
    // Whether the thread is still at work, also on a job already cancelled.
    bool threadBusy() const { return m_queued.load() > 0; }

    // For a program that ends at once: cancels, and gives a save up to
    // `waitMs` to end and remove its temporary file. True when the thread
    // has nothing more to do.
    bool abandon(int waitMs);

signals:
    // The running job's share done, 0 to 1000.
    void progress(int permille);
    void readFinished(std::shared_ptr<const kennfix::liste::LoadedList> list);
    void saved(const QString& target);
    // German, naming the file and, for a list that cannot be read, the line.
    void failed(const QString& message);

private:
    using Cancel = std::shared_ptr<std::atomic<bool>>;
    // Makes `work(progress)` the running job, on the thread after the jobs
    // before it. It returns what to do on the window's thread when it ends;
    // what it throws becomes a message about `listPath` or its target.
    template <typename Work>
    void start(Work work, const std::string& listPath, bool saving);
    void report(std::uint64_t job, int permille);

    QThread m_thread;
    QObject* m_worker;  // lives on m_thread; jobs run in its context
    std::uint64_t m_current = 0;  // the running job, 0 when none
    std::uint64_t m_lastJob = 0;
    Cancel m_cancel;
    std::atomic<int> m_queued{0};       // jobs on the thread, cancelled ones too
    std::atomic<int> m_savesQueued{0};  // of them, saves
};

}  // namespace kennfix::liste
