#include "liste/columnsdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <set>

#include "liste/listwindow.h"

namespace kennfix::liste {
namespace {

using listengine::kPersonColumns;

QString DelimiterName(char delimiter)
{
    switch (delimiter) {
    case ';': return QStringLiteral("Semikolon (;)");
    case ',': return QStringLiteral("Komma (,)");
    case '\t': return QStringLiteral("Tabulator");
    }
    return QString(QLatin1Char(delimiter));
}

QComboBox* Box(QWidget* parent, const char* name, const QString& accessibleName)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleName);
    // Long names from a header widen the box no further than this.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(24);
    return box;
}

}  // namespace

ColumnsDialog::ColumnsDialog(ColumnChoice choice, const QString& question, QWidget* parent)
    : QDialog(parent), m_choice(std::move(choice))
{
    setObjectName(QStringLiteral("ColumnsDialog"));
    setWindowTitle(QStringLiteral("Spalten wählen – ") + kListWindowTitle);
    const QString text = question + QStringLiteral(" Welche Spalten enthalten Familienname, Vorname und Geburtsdatum? "
                                                   "Die Wahl gilt nur für diese Liste.");
    setAccessibleDescription(text);

    auto* intro = new QLabel(text, this);
    intro->setObjectName(QStringLiteral("question"));
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);

    auto* form = new QFormLayout;
    if (m_choice.delimiterChoosable()) {
        delimiterBox = Box(this, "delimiterBox", QStringLiteral("Trennzeichen"));
        for (const ColumnChoice::Header& header : m_choice.headers())
            delimiterBox->addItem(DelimiterName(header.delimiter));
        delimiterBox->setCurrentIndex(static_cast<int>(m_choice.preferredHeader()));
        form->addRow(QStringLiteral("&Trennzeichen:"), delimiterBox);
        connect(delimiterBox, &QComboBox::currentIndexChanged, this, &ColumnsDialog::showHeader);
    }
    familyNameBox = Box(this, "familyNameBox", QStringLiteral("Familienname"));
    firstNameBox = Box(this, "firstNameBox", QStringLiteral("Vorname"));
    birthDateBox = Box(this, "birthDateBox", QStringLiteral("Geburtsdatum"));
    form->addRow(QStringLiteral("&Familienname:"), familyNameBox);
    form->addRow(QStringLiteral("&Vorname:"), firstNameBox);
    form->addRow(QStringLiteral("&Geburtsdatum:"), birthDateBox);
    for (QComboBox* box : roleBoxes()) {
        box->setPlaceholderText(QStringLiteral("(bitte wählen)"));
        connect(box, &QComboBox::currentIndexChanged, this, &ColumnsDialog::checkChoice);
    }

    m_hint = new QLabel(QStringLiteral("Bitte für jede Angabe eine andere Spalte wählen."), this);
    m_hint->setObjectName(QStringLiteral("hint"));

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Liste &lesen"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_hint);
    layout->addWidget(buttons);
    showHeader();
}

std::size_t ColumnsDialog::header() const
{
    return delimiterBox ? static_cast<std::size_t>(delimiterBox->currentIndex()) : 0;
}

void ColumnsDialog::showHeader()
{
    const std::size_t shown = header();
    const ColumnChoice::Header& h = m_choice.headers().at(shown);
    QStringList names;
    for (const std::string& name : h.names)
        names << QString::fromStdString(name);
    for (std::size_t role = 0; role < kPersonColumns.size(); ++role) {
        QComboBox* box = roleBoxes()[role];
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItems(names);
        const auto fitting = m_choice.fitting(shown, kPersonColumns[role]);
        box->setCurrentIndex(fitting ? static_cast<int>(*fitting) : -1);
    }
    checkChoice();
}

void ColumnsDialog::checkChoice()
{
    std::set<int> chosen;
    for (const QComboBox* box : roleBoxes()) {
        if (box->currentIndex() >= 0)
            chosen.insert(box->currentIndex());
    }
    const bool complete = chosen.size() == kPersonColumns.size();
    buttons->button(QDialogButtonBox::Ok)->setEnabled(complete);
    m_hint->setVisible(!complete);
}

listengine::ListOptions ColumnsDialog::options() const
{
    std::array<std::size_t, 3> chosen{};
    for (std::size_t role = 0; role < chosen.size(); ++role)
        chosen[role] = static_cast<std::size_t>(roleBoxes()[role]->currentIndex());
    return m_choice.options(header(), chosen);
}

}  // namespace kennfix::liste
