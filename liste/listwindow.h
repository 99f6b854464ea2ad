#pragma once

// The list window, kennfix-liste.
//
// One list: a file (from the command line, "Öffnen…", or dropped on the
// window) is read by ListJobs on its own thread through the list engine,
// which hands over every row as it writes it; the rows go into a ListTable,
// which replaces the table shown only when the whole list has been read. A
// list that cannot be read leaves the table as it was and goes to the error
// box with the file and the line; one whose header lacks a column asks
// which of its columns to read (ColumnsDialog), for that list only, and one
// written to while it was read is offered to be read again. "Speichern…"
// runs the engine once more from the file into the file chosen, as
// kennfix-batch would; the table itself is never written anywhere.

#include <QMainWindow>

#include <memory>

#include "liste/listfile.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace kennfix::liste {

class ListJobs;
class ListModel;

inline const QString kListWindowTitle = QStringLiteral("Kennfix Liste");

class ListWindow : public QMainWindow {
    Q_OBJECT
public:
    // Lists are read and saved with `options`, as kennfix-batch reads and
    // writes them with the same ones.
    explicit ListWindow(const listengine::ListOptions& options = {}, QWidget* parent = nullptr);
    ~ListWindow() override;

    // Reads the list at `path` in the background with the window's options;
    // the list shown stays until it has been read.
    void openList(const QString& path);
    // Asks for a list to open.
    void chooseList();
    // Asks where to save the list shown, with eTINs, and saves it there.
    void saveList();
    // Saves the list shown, with eTINs, to `target` in the background.
    void saveAs(const QString& target);
    // Stops reading or saving, unless a save is already putting its file in
    // place.
    void cancelJob();

    // The list shown; null before one has been read.
    std::shared_ptr<const LoadedList> list() const { return m_list; }
    ListJobs& jobs() { return *m_jobs; }

    QPushButton* openButton;
    QPushButton* saveButton;
    QCheckBox* attentionOnly;
    QLabel* summary;
    QTableView* rows;
    QLabel* jobText;
    QProgressBar* progress;
    QPushButton* cancelButton;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void read(const QString& path, const listengine::ListOptions& options);
    void showList(std::shared_ptr<const LoadedList> list);
    void showOnlyAttention(bool only);
    void jobStarted(const QString& text, bool saving);
    void committing();
    void jobEnded(const QString& notice = {});
    void failed(const QString& message);
    void changedWhileRead(const QString& message);
    void chooseColumns(const listengine::MissingColumnsError& error, const QString& message);
    void updateSummary();
    void fitColumns();

    listengine::ListOptions m_options;
    ListModel* m_model;
    ListJobs* m_jobs;
    std::shared_ptr<const LoadedList> m_list;
    // The list being read, or read last, and how: for reading it again.
    QString m_readPath;
    listengine::ListOptions m_readOptions;
    QString m_savingTo;
    QString m_savedAs;  // where the list shown was last saved
    bool m_saving = false;
    bool m_placed = false;
};

}  // namespace kennfix::liste
