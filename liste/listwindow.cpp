#include "liste/listwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "liste/columnsdialog.h"
#include "liste/etincelldelegate.h"
#include "liste/filedialogs.h"
#include "liste/listjobs.h"
#include "liste/listmodel.h"
#include "liste/listpaths.h"
#include "liste/pathtext.h"
#include "listengine/messagetext.h"
#include "qtfrontend/messageboxes.h"
#include "qtfrontend/windowframe.h"

namespace kennfix::liste {
namespace {

constexpr QSize kWindowSize(960, 600);

QString FileName(const std::string& path)
{
    return QFileInfo(PathFromEngine(path)).fileName();
}

// A name with a line break or a control character shows it escaped, as in
// every other message.
QString Quoted(const QString& text)
{
    return QString::fromStdString(listengine::QuotedForMessage(text.toStdString()));
}

// „personal.csv“ for "/daten/personal.csv".
QString QuotedName(const QString& path)
{
    return Quoted(QFileInfo(path).fileName());
}

// The one local file a drag carries; empty when it carries something else.
QString DraggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    return data->urls().first().toLocalFile();
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, const QString& toolTip)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ListWindow::ListWindow(const listengine::ListOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_model(new ListModel(this)), m_jobs(new ListJobs(this))
{
    setObjectName(QStringLiteral("ListWindow"));
    setWindowTitle(kListWindowTitle);
    setAcceptDrops(true);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);

    auto* bar = new QHBoxLayout;
    openButton = Button(central, "openButton", QStringLiteral("Öffnen…"), QStringLiteral("Eine Liste öffnen (Strg+O)"));
    saveButton = Button(central, "saveButton", QStringLiteral("Speichern…"),
                        QStringLiteral("Die Liste mit eTIN speichern (Strg+S)"));
    attentionOnly = new QCheckBox(QStringLiteral("&Nur Zeilen mit Fehler oder Abweichung"), central);
    attentionOnly->setObjectName(QStringLiteral("attentionOnly"));
    attentionOnly->setToolTip(QStringLiteral("Nur die Zeilen zeigen, die einen Fehler haben oder deren "
                                             "gespeicherte eTIN abweicht (Alt+N)"));
    bar->addWidget(openButton);
    bar->addWidget(saveButton);
    bar->addSpacing(12);
    bar->addWidget(attentionOnly);
    bar->addStretch();
    layout->addLayout(bar);

    summary = new QLabel(central);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setTextFormat(Qt::PlainText);
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary);

    rows = new QTableView(central);
    rows->setObjectName(QStringLiteral("rows"));
    rows->setAccessibleName(QStringLiteral("Liste"));
    rows->setModel(m_model);
    rows->setItemDelegate(new EtinCellDelegate(rows));
    rows->setWordWrap(false);
    rows->setAlternatingRowColors(true);
    rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows of one height, so that millions of them cost nothing to lay out.
    rows->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    rows->verticalHeader()->setDefaultSectionSize(rows->fontMetrics().height() + 6);
    rows->horizontalHeader()->setHighlightSections(false);
    // Columns fit what the rows on the screen hold (fitColumns).
    rows->horizontalHeader()->setResizeContentsPrecision(0);
    rows->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(rows, 1);

    jobText = new QLabel(this);
    jobText->setObjectName(QStringLiteral("jobText"));
    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setAccessibleName(QStringLiteral("Fortschritt"));
    progress->setRange(0, 1000);
    progress->setTextVisible(false);
    cancelButton = Button(this, "cancelButton", QStringLiteral("Abbrechen"), QStringLiteral("Lesen oder Speichern abbrechen (Esc)"));
    cancelButton->setShortcut(Qt::Key_Escape);
    statusBar()->addWidget(jobText, 1);
    statusBar()->addPermanentWidget(progress);
    statusBar()->addPermanentWidget(cancelButton);
    jobEnded();

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    shortcut(QKeySequence::Open, &ListWindow::chooseList);
    shortcut(QKeySequence::Save, &ListWindow::saveList);
    // Ctrl+Q in every keyboard scheme; Qt's standard Quit has none on some.
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), &QWidget::close);

    connect(openButton, &QPushButton::clicked, this, &ListWindow::chooseList);
    connect(saveButton, &QPushButton::clicked, this, &ListWindow::saveList);
    connect(cancelButton, &QPushButton::clicked, this, &ListWindow::cancelJob);
    connect(attentionOnly, &QCheckBox::toggled, this, &ListWindow::showOnlyAttention);
    connect(m_jobs, &ListJobs::progress, progress, &QProgressBar::setValue);
    connect(m_jobs, &ListJobs::readFinished, this, &ListWindow::showList);
    connect(m_jobs, &ListJobs::committing, this, &ListWindow::committing);
    connect(m_jobs, &ListJobs::saved, this, [this](const QString& target) {
        m_savedAs = target;
        jobEnded(QStringLiteral("Gespeichert als ") + Quoted(target) + u'.');
    });
    connect(m_jobs, &ListJobs::changedWhileRead, this, &ListWindow::changedWhileRead);
    connect(m_jobs, &ListJobs::columnsMissing, this, &ListWindow::chooseColumns);
    connect(m_jobs, &ListJobs::failed, this, &ListWindow::failed);

    updateSummary();
    const QSize available = screen() ? screen()->availableSize() : kWindowSize;
    resize(kWindowSize.boundedTo(available * 9 / 10));
}

ListWindow::~ListWindow() = default;

void ListWindow::openList(const QString& path)
{
    read(path, m_options);
}

void ListWindow::read(const QString& path, const listengine::ListOptions& options)
{
    // A save runs to its end; another read gives way to this one.
    if (m_saving)
        return;
    m_readPath = QFileInfo(path).absoluteFilePath();
    m_readOptions = options;
    m_jobs->read(m_readPath, options);
    jobStarted(QuotedName(m_readPath) + QStringLiteral(" wird gelesen …"), false);
}

void ListWindow::chooseList()
{
    if (m_saving)
        return;
    const QString folder = m_list ? QFileInfo(PathFromEngine(m_list->path)).absolutePath()
                                  : QString();
    const QString path = AskForListToOpen(this, folder);
    if (!path.isEmpty())
        openList(path);
}

void ListWindow::saveList()
{
    if (!m_list || m_jobs->running())
        return;
    const QString proposed =
        m_savedAs.isEmpty() ? PathFromEngine(ProposedSavePath(m_list->path)) : m_savedAs;
    const QString target = AskWhereToSave(this, proposed);
    if (!target.isEmpty())
        saveAs(target);
}

void ListWindow::saveAs(const QString& target)
{
    if (!m_list || m_jobs->running())
        return;
    m_savingTo = target;
    m_jobs->save(m_list, target);
    jobStarted(QuotedName(target) + QStringLiteral(" wird gespeichert …"), true);
}

void ListWindow::cancelJob()
{
    if (!m_jobs->running())
        return;
    if (m_jobs->cancel())
        jobEnded(QStringLiteral("Abgebrochen."));
    else
        committing();
}

void ListWindow::showList(std::shared_ptr<const LoadedList> list)
{
    m_list = std::move(list);
    m_savedAs.clear();
    // The table lives as long as the list it belongs to.
    m_model->setList(std::shared_ptr<const ListTable>(m_list, m_list->table.get()));
    setWindowTitle(FileName(m_list->path) + QStringLiteral(" – ") + kListWindowTitle);
    jobEnded();
    updateSummary();
    fitColumns();
    rows->setFocus();
}

void ListWindow::showOnlyAttention(bool only)
{
    // The row the cursor is on stays current when it is still shown.
    const QModelIndex current = rows->currentIndex();
    const std::size_t tableRow = current.isValid() ? m_model->tableRow(current.row()) : 0;
    m_model->setOnlyAttention(only);
    const int row = current.isValid() ? m_model->modelRow(tableRow) : -1;
    if (row >= 0) {
        rows->setCurrentIndex(m_model->index(row, current.column()));
        rows->scrollTo(rows->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
}

void ListWindow::jobStarted(const QString& text, bool saving)
{
    m_saving = saving;
    jobText->setText(text);
    progress->setValue(0);
    progress->show();
    cancelButton->show();
    openButton->setEnabled(!saving);
    saveButton->setEnabled(false);
}

// A save past its point of no return: what it does can no longer be undone.
void ListWindow::committing()
{
    jobText->setText(QuotedName(m_savingTo) + QStringLiteral(" wird fertig gespeichert …"));
    progress->setValue(progress->maximum());
    cancelButton->hide();
}

void ListWindow::jobEnded(const QString& notice)
{
    m_saving = false;
    jobText->setText(notice);
    progress->hide();
    cancelButton->hide();
    openButton->setEnabled(true);
    saveButton->setEnabled(m_list != nullptr);
}

void ListWindow::failed(const QString& message)
{
    jobEnded();
    ShowErrorBoxTitled(kListWindowTitle, message);
}

void ListWindow::changedWhileRead(const QString& message)
{
    jobEnded();
    if (AskTitled(kListWindowTitle, message + QStringLiteral("\n\nDie Liste erneut lesen?"), QStringLiteral("Erneut lesen")))
        read(m_readPath, m_readOptions);
}

// The choice reads this one list; the window's options stay as they are.
void ListWindow::chooseColumns(const listengine::MissingColumnsError& error, const QString& message)
{
    jobEnded();
    std::optional<ColumnChoice> choice = ColumnChoice::From(error, m_readOptions);
    if (!choice) {
        ShowErrorBoxTitled(kListWindowTitle, message);
        return;
    }
    ColumnsDialog dialog(std::move(*choice),
                         QuotedName(m_readPath) + QStringLiteral(": ") + QString::fromStdString(error.missingText()) + u'.',
                         this);
    if (dialog.exec() == QDialog::Accepted)
        read(m_readPath, dialog.options());
}

void ListWindow::updateSummary()
{
    const ListTable* table = m_model->table();
    attentionOnly->setEnabled(table != nullptr);
    if (!table) {
        summary->setText(QStringLiteral("Eine Liste öffnen Sie mit „Öffnen…“ (Strg+O) oder indem Sie eine CSV-Datei in "
                                        "dieses Fenster ziehen."));
        return;
    }
    QStringList lines{QString::fromStdString(listengine::SummaryLine(table->counts(), table->layout().checkColumn.has_value()))};
    for (const std::string& message : listengine::FurtherMessages(table->summary()))
        lines << QString::fromStdString(message);
    summary->setText(lines.join(u'\n'));
}

void ListWindow::fitColumns()
{
    // Fitted to the rows on the screen, so that a long list opens as fast as
    // a short one; no column wider than the table shows, and the last one,
    // Fehler in most lists, takes what is left.
    rows->resizeColumnsToContents();
    const int shown = rows->viewport()->width();
    const int last = m_model->columnCount() - 1;
    int others = 0;
    for (int column = 0; column < last; ++column) {
        rows->setColumnWidth(column, std::min(rows->columnWidth(column), shown));
        others += rows->columnWidth(column);
    }
    rows->setColumnWidth(last, std::max(std::min(rows->columnWidth(last), shown), shown - others));
}

void ListWindow::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        m_placed = true;
        CentreOnScreen(*this);
    }
    QMainWindow::showEvent(event);
}

void ListWindow::closeEvent(QCloseEvent* event)
{
    // Nothing of a job may reach the window from here on; the program ends
    // without waiting for it (see main.cpp).
    m_jobs->cancel();
    event->accept();
}

void ListWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!m_saving && !DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ListWindow::dropEvent(QDropEvent* event)
{
    const QString file = DraggedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    openList(file);
}

}  // namespace kennfix::liste
