#include "sheetprinter.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

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

// One job from start to hand-over; gives the failure message or an empty one.
// Runs on the job's thread: QPrinter and QPainter on a printer may be used
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

    QPainter painter;
    if (!painter.begin(&printer))
        return PrinterInvalid();
    RenderSheet(painter, texts);
    // Writes the page and hands it to the spooler. Qt does not pass on what
    // the spooler answers, so there is nothing to check here.
    painter.end();
    return {};
}

}  // namespace

PrintError::PrintError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}

SheetPrinter::SheetPrinter(QObject* parent) : QObject(parent) {}

SheetPrinter::~SheetPrinter()
{
    if (m_job.joinable())
        m_job.join();
}

void SheetPrinter::Print(const SheetTexts& texts)
{
    if (m_printing)
        throw PrintError(JobRunning());
    if (m_printerName.isEmpty()) {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull())
            throw PrintError(NoDefaultPrinter());
        m_printerName = defaultPrinter.printerName();
    }

    if (m_job.joinable())
        m_job.join();  // the last job has ended and its thread is on its way out
    m_job = std::thread([this, printerName = m_printerName, texts] {
        const QString failure = PrintOnePage(printerName, texts);
        // This object outlives the thread (its destructor joins), and the
        // call runs on the object's own thread.
        QMetaObject::invokeMethod(this, [this, failure] { EndJob(failure); }, Qt::QueuedConnection);
    });
    m_printing = true;
}

void SheetPrinter::EndJob(const QString& failure)
{
    m_printing = false;
    if (!failure.isEmpty())
        emit failed(failure);
    emit finished();
}

}  // namespace kennfix
