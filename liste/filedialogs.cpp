#include "liste/filedialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

#ifdef _WIN32
#include "liste/filedialogs_windows.h"
#endif

namespace kennfix::liste {
namespace {

const QString kListFilter = QStringLiteral("CSV-Listen (*.csv *.txt);;Alle Dateien (*)");
const QString kSaveFilter = QStringLiteral("CSV-Listen (*.csv);;Alle Dateien (*)");

// Room for the columns Name, Größe, Typ and Änderungsdatum side by side.
constexpr QSize kDialogSize(780, 460);

// Qt's file list writes sizes and dates in the system's locale, which may
// be C ("0 bytes", "10 Dec 2026"); here they are German ("0 Bytes",
// "10.12.26 14:02").
class GermanFileDetails : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != kSizeColumn && index.column() != kDateColumn))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        if (index.column() == kDateColumn)
            return m_german.toString(files->lastModified(file), QLocale::ShortFormat);
        return files->isDir(file) ? QString() : m_german.formattedDataSize(files->size(file));
    }

private:
    // QFileSystemModel's columns.
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
    const QLocale m_german{QLocale::German, QLocale::Germany};
};

QString AskWithQtDialog(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
                        QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setProxyModel(new GermanFileDetails(&dialog));
    // The list of files in detail: the name takes the room the others, as
    // wide as what they show, leave.
    if (auto* details = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    const QScreen* screen = parent ? parent->screen() : nullptr;
    dialog.resize(screen ? kDialogSize.boundedTo(screen->availableSize() * 9 / 10) : kDialogSize);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

// Windows' own dialog where there is one (filedialogs_windows.h), else Qt's.
QString Ask(QWidget* parent, const QString& caption, const QString& start, const QString& filter, QFileDialog::AcceptMode mode)
{
#ifdef _WIN32
    const auto kind = mode == QFileDialog::AcceptOpen ? WindowsFileDialog::Open : WindowsFileDialog::Save;
    if (const auto chosen = AskWithWindowsDialog(parent, kind, caption, start))
        return *chosen;
#endif
    return AskWithQtDialog(parent, caption, start, filter, mode);
}

}  // namespace

QString AskForListToOpen(QWidget* parent, const QString& folder)
{
    return Ask(parent, QStringLiteral("Liste öffnen"), folder, kListFilter, QFileDialog::AcceptOpen);
}

QString AskWhereToSave(QWidget* parent, const QString& proposed)
{
    return Ask(parent, QStringLiteral("Liste mit eTIN speichern"), proposed, kSaveFilter, QFileDialog::AcceptSave);
}

}  // namespace kennfix::liste
