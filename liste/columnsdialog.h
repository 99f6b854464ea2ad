#pragma once

// The small dialog that asks which columns hold family name, first name and
// date of birth when a list's header lacks one the window looks for, and
// under which delimiter, when that was a guess. The rules are ColumnChoice's
// (listengine/columnchoice.h); the dialog shows them and maps the user's choice.

#include <QDialog>

#include "listengine/columnchoice.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;

namespace kennfix::liste {

using listengine::ColumnChoice;

class ColumnsDialog : public QDialog {
    Q_OBJECT
public:
    // `question`: what the header lacks, for the top of the dialog.
    ColumnsDialog(ColumnChoice choice, const QString& question, QWidget* parent = nullptr);

    // The options for reading the list with the columns chosen; for a
    // dialog that was accepted.
    listengine::ListOptions options() const;

    QComboBox* delimiterBox = nullptr;  // only when the delimiter was a guess
    QComboBox* familyNameBox;
    QComboBox* firstNameBox;
    QComboBox* birthDateBox;
    QDialogButtonBox* buttons;

private:
    std::array<QComboBox*, 3> roleBoxes() const { return {familyNameBox, firstNameBox, birthDateBox}; }
    std::size_t header() const;
    void showHeader();
    void checkChoice();

    ColumnChoice m_choice;
    QLabel* m_hint;
};

}  // namespace kennfix::liste
