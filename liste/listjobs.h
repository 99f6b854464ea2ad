#pragma once

// The list window's work off its thread. Each read and each save runs on a
// thread of its own, so that one stuck in the system (a network drive that
// no longer answers) holds up nothing: the window cancels it and goes on,
// and whatever it does in the end is dropped. Progress comes back through
// queued signals; a job is cancelled through its progress callback, which
// the engine calls about every 64 KiB.
//
// A save has a point of no return: once its list is complete, either it is
// cancelled before anything is replaced, or it puts its file in place and
// can no longer be cancelled. One atomic state per job, changed by
// compare-and-swap, decides which, so that the window never says
// "Abgebrochen." of a file that was replaced:
//
//   Running -> Cancelled                  cancel() won: nothing is replaced
//   Running -> Committing -> Done         the save passed its point of no
//                                         return: it ends in saved or failed

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "liste/listfile.h"

namespace kennfix::liste {

class ListJobs : public QObject {
    Q_OBJECT
public:
    explicit ListJobs(QObject* parent = nullptr);
    // Cancels what runs. Threads still at work end by themselves, and
    // nothing of them reaches anyone.
    ~ListJobs() override;

    // Reads the list at `path`; ends in readFinished, changedWhileRead,
    // columnsMissing or failed. Drops a job that runs.
    void read(const QString& path, const listengine::ListOptions& options);
    // Saves `list` to `target`; ends in saved or failed.
    void save(std::shared_ptr<const LoadedList> list, const QString& target);
    // Drops the running job: no signal of it follows. False for a save past
    // its point of no return, which goes on to saved or failed.
    bool cancel();

    // Whether a job the window waits for runs.
    bool running() const { return m_current != nullptr; }
    // Whether a thread is still at work, also on a job already cancelled.
    bool threadBusy() const;

    // For a program that ends at once: cancels, and gives a save past its
    // point of no return up to `waitMs` to put its file in place. True when
    // no save is still doing so.
    bool abandon(int waitMs);

signals:
    // The running job's share done, 0 to 1000.
    void progress(int permille);
    // The running save passed its point of no return: it is putting its file
    // in place and can no longer be cancelled.
    void committing();
    void readFinished(std::shared_ptr<const kennfix::liste::LoadedList> list);
    void saved(const QString& target);
    // The list was written to while it was read: nothing of it is shown.
    void changedWhileRead(const QString& message);
    // The list's header lacks a column the options name; `message` says so
    // without the command line's options, for a list that offers no others.
    void columnsMissing(const kennfix::listengine::MissingColumnsError& error, const QString& message);
    // German, naming the file and, for a list that cannot be read, the line.
    void failed(const QString& message);

private:
    struct Job;
    struct Shared;
    // What a job does on its thread; it returns what to emit on the
    // window's thread when it ends, and calls the hook of a save's point of
    // no return.
    using Work = std::function<std::function<void(ListJobs&)>(const ListProgress&, const listengine::OutputFile::BeforeCommit&)>;
    void start(Work work, const std::string& listPath, bool saving);
    // On the window's thread: a report of `job`, dropped unless it is the
    // running one.
    void fromJob(const std::shared_ptr<Job>& job, const std::function<void(ListJobs&)>& report, bool last);

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Job> m_current;  // the running job; null when none
};

}  // namespace kennfix::liste
