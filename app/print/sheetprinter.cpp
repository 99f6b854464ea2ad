#include "app/print/sheetprinter.h"

#include <functional>
#include <thread>
#include <utility>

#include <QFuture>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPromise>
#include <QRawFont>

namespace kennfix {
namespace {

QString NoDefaultPrinter()
{
    return QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt");
}

QString SettingsUnavailable()
{
    return QStringLiteral("Operation auf ausgewähltem Drucker nicht verfügbar");
}

QString PrinterInvalid()
{
    return QStringLiteral("Ausgewählter Drucker ist ungültig");
}

QString JobRunning()
{
    return QStringLiteral("Druckvorgang läuft");
}

QString SheetFontMissing()
{
    return QStringLiteral("Die Schrift Courier New fehlt auf diesem Computer, ohne sie kann das Blatt nicht "
                          "gedruckt werden");
}

// On Windows the printer driver is handed the sheet's font itself and copies
// its TrueType glyph outlines into the job, inside this process. A system
// without "Courier New" makes Windows pick some other face, and one without
// TrueType outlines (an OpenType face with PostScript outlines, a bitmap
// face) gives a blank page or brings the driver, and the program with it,
// down. Elsewhere the print system embeds whatever face stands in for it.
bool SheetFontCanBePrinted()
{
#ifdef _WIN32
    return !QRawFont::fromFont(SheetFont()).fontTable("glyf").isEmpty();
#else
    return true;
#endif
}

// The name of the system's default printer, empty when there is none.
QString LookUpDefaultPrinter()
{
    return QPrinterInfo::defaultPrinter().printerName();
}

// One job from start to hand-over; gives the failure message or an empty one.
// Runs on a thread of its own: QPrinter and QPainter on a printer may be used
// there, each thread with its own.
QString PrintOnePage(const QString& printerName, const SheetTexts& texts)
{
    const QPrinterInfo kept = QPrinterInfo::printerInfo(printerName);
    if (kept.isNull())
        return SettingsUnavailable();
    QPrinter printer(kept, QPrinter::HighResolution);
    // QPrinter quietly takes another printer, or writes a PDF file, when it
    // cannot use the one it is given.
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != printerName)
        return SettingsUnavailable();

    printer.setPageOrientation(QPageLayout::Portrait);
    // The sheet's origin is the corner of the area the printer can print on.
    printer.setFullPage(false);
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());
    printer.setDocName(QString());
    if (!SheetFontCanBePrinted())
        return SheetFontMissing();

    QPainter painter;
    if (!painter.begin(&printer))
        return PrinterInvalid();
    RenderSheet(painter, texts);
    // Writes the page and hands it to the spooler. Qt does not pass on what
    // the spooler answers, so there is nothing to check here.
    painter.end();
    return {};
}

// Runs `work` on a thread that nobody ever waits for and hands its result
// over through the future. `running` counts the thread until it has let go
// of everything it holds.
QFuture<QString> RunOnOwnThread(std::function<QString()> work, std::atomic<int>& running)
{
    QPromise<QString> promise;
    QFuture<QString> future = promise.future();
    promise.start();
    ++running;
    try {
        std::thread([promise = std::move(promise), work = std::move(work), &running]() mutable {
            {
                QPromise<QString> result = std::move(promise);
                const std::function<QString()> task = std::move(work);
                result.addResult(task());
                result.finish();
            }
            --running;
        }).detach();
    } catch (...) {
        --running;
        throw;
    }
    return future;
}

// Stops watching: a result that still comes is dropped. The watcher may be
// the sender of the signal being handled, so it goes later.
void Forget(QFutureWatcher<QString>*& watcher)
{
    if (!watcher)
        return;
    watcher->disconnect();
    watcher->deleteLater();
    watcher = nullptr;
}

}  // namespace

std::atomic<int> SheetPrinter::s_runningThreads{0};

PrintError::PrintError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}

SheetPrinter::SheetPrinter(QObject* parent, std::chrono::milliseconds lookUpTimeout)
    : QObject(parent), m_lookUpTimeout(lookUpTimeout)
{
    m_lookUpTimer.setSingleShot(true);
    connect(&m_lookUpTimer, &QTimer::timeout, this, &SheetPrinter::LookUpTimedOut);
}

// The watchers are children and go with this object; the threads they
// watched carry on without them.
SheetPrinter::~SheetPrinter() = default;

QFutureWatcher<QString>* SheetPrinter::Watch(QFuture<QString> future, void (SheetPrinter::*done)())
{
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, done);
    watcher->setFuture(future);
    return watcher;
}

void SheetPrinter::Print(const SheetTexts& texts)
{
    if (IsPrinting())
        throw PrintError(JobRunning());
    m_texts = texts;
    if (!m_printerName.isEmpty()) {
        StartJob();
        return;
    }
    m_lookUp = Watch(RunOnOwnThread(&LookUpDefaultPrinter, s_runningThreads), &SheetPrinter::LookUpDone);
    m_lookUpTimer.start(m_lookUpTimeout);
}

void SheetPrinter::LookUpDone()
{
    m_lookUpTimer.stop();
    const QString name = m_lookUp->result();
    Forget(m_lookUp);
    if (name.isEmpty()) {
        End(NoDefaultPrinter());
        return;
    }
    m_printerName = name;
    StartJob();
}

// The print server took the connection but does not answer. Its thread is
// left to itself; the next print looks again on a new one.
void SheetPrinter::LookUpTimedOut()
{
    Forget(m_lookUp);
    End(NoDefaultPrinter());
}

void SheetPrinter::StartJob()
{
    m_job = Watch(RunOnOwnThread([printerName = m_printerName, texts = m_texts] { return PrintOnePage(printerName, texts); },
                                 s_runningThreads),
                  &SheetPrinter::JobDone);
}

void SheetPrinter::JobDone()
{
    const QString failure = m_job->result();
    Forget(m_job);
    End(failure);
}

void SheetPrinter::End(const QString& failure)
{
    if (!failure.isEmpty())
        emit failed(failure);
    emit finished();
}

}  // namespace kennfix
