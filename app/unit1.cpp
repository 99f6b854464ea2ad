#include "app/unit1.h"

#include <algorithm>

#include <QFrame>
#include <QTextDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include "app/actions.h"
#include "app/ansitext.h"
#include "app/dateofbirthedit.h"
#include "app/etinlabel.h"
#include "app/messagedialog.h"
#include "app/platform.h"
#include "app/print/sheetprinter.h"
#include "core/etin.h"
#include "qtfrontend/windowframe.h"

namespace kennfix {

namespace {

// Sizes in pixels at 96 dots per inch; Qt scales them with the screen.
constexpr QSize kClientSize(391, 314);
constexpr int kStatusBarHeight = 20;
constexpr int kMaxNameLength = 40;

// Short enough to be read whole at the window's normal size.
const QString kMakersNotice = QStringLiteral("Kennfix – Freie Software der Kennfix-Entwickler");

// Shown for a while when a changed entry empties the eTIN.
const QString kEtinCleared = QStringLiteral("Eingabe geändert – bitte die eTIN neu berechnen");
constexpr int kStatusMessageMs = 8000;

const char* const kInstructions[] = {
    "Geben Sie den Familennamen",
    "ohne Titel (z.B. Dr.),",
    "ohne Namenszusätze (z.B. von, von der) und",
    "ohne Namensvorsätze (z.B. Graf)",
    "an. (Doppelnamen wie z.B. Krümer-Lüdwalt sind erlaubt)",
};

// Screen readers name a field after its label, without the colon.
void NameAfterLabel(QWidget* field, QLabel* label)
{
    label->setBuddy(field);
    QString name = label->text();
    if (name.endsWith(u':'))
        name.chop(1);
    field->setAccessibleName(name);
}

// The layout was drawn for "MS Sans Serif" at 8 points; Arial's metrics come
// closest among the fonts a Linux desktop has, so its twin Liberation Sans is
// preferred, then the system's sans-serif font.
//
// Windows has "MS Sans Serif" still, but as a bitmap font, which cannot be
// scaled with the screen and which Qt draws with letters missing; its
// TrueType twin "Microsoft Sans Serif", drawn to the same metrics, is on
// every Windows since 2000.
QFont WindowFont()
{
#ifdef _WIN32
    const QString family = QStringLiteral("Microsoft Sans Serif");
#else
    const QString family = QStringLiteral("MS Sans Serif");
#endif
    QFont::insertSubstitutions(family, {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont font(family, 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// "Courier New" where it is installed, Liberation Mono (its metric twin)
// through the font configuration elsewhere.
QFont EtinFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(21);
    font.setBold(true);
    return font;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kApplicationTitle);
    setFont(WindowFont());
    resize(kClientSize);

    LEdiName = addLabeledEdit("LEdiName", QStringLiteral("Familienname:"), {96, 32, 121, 21});
    LEdiVorname = addLabeledEdit("LEdiVorname", QStringLiteral("Vorname:"), {96, 72, 121, 21});

    LabGebDat = new QLabel(QStringLiteral("Geburtsdatum:"), this);
    LabGebDat->setObjectName(QStringLiteral("LabGebDat"));
    // Where the sans-serif font is wider than the one the layout was drawn
    // for, the label grows to the left rather than into its field.
    const int labelWidth = std::max(69, LabGebDat->sizeHint().width());
    LabGebDat->setGeometry(std::min(24, 93 - labelWidth), 112, labelWidth, 13);

    MEdiGebDat = new DateOfBirthEdit(this);
    MEdiGebDat->setObjectName(QStringLiteral("MEdiGebDat"));
    MEdiGebDat->setGeometry(96, 112, 120, 21);
    NameAfterLabel(MEdiGebDat, LabGebDat);

    BtnRechnen = addButton("BtnRechnen", QStringLiteral("eTIN berechnen"), {240, 32, 129, 25}, &TForm1::BtnRechnenClick);
    BtnDrucken = addButton("BtnDrucken", QStringLiteral("Drucken"), {240, 69, 129, 25}, &TForm1::BtnDruckenClick);
    BtnClose = addButton("BtnClose", QStringLiteral("Programm beenden"), {240, 106, 129, 25}, &TForm1::BtnCloseClick);

    PnleTIN = new QFrame(this);
    PnleTIN->setObjectName(QStringLiteral("PnleTIN"));
    PnleTIN->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PnleTIN->setGeometry(16, 152, 353, 41);
    auto* caption = new QLabel(QStringLiteral("Die eTIN lautet:"), PnleTIN);
    caption->setGeometry(8, 0, 90, 41);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    LabTIN = new EtinLabel(PnleTIN);
    LabTIN->setObjectName(QStringLiteral("LabTIN"));
    LabTIN->setFont(EtinFont());
    LabTIN->move(104, 8);
    // The label itself reads out the eTIN; the caption tells what it is.
    LabTIN->setAccessibleDescription(QStringLiteral("Die eTIN lautet"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 208, 353, 73);
    Memo1->setTabChangesFocus(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->document()->setDocumentMargin(2);
    QStringList lines;
    for (const char* line : kInstructions)
        lines << QString::fromUtf8(line);
    Memo1->setPlainText(lines.join(u'\n'));
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Dark));
    Memo1->setPalette(memoPalette);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    // Opaque: a smaller window puts it over the instruction text.
    StatusBar1->setAutoFillBackground(true);
    StatusBar1->addWidget(new QLabel(kMakersNotice, StatusBar1), 1);

    m_printer = new SheetPrinter(this);
    connect(m_printer, &SheetPrinter::failed, this, &ShowErrorBox);

    // QLineEdit reports only a real change of the text; the date field shows
    // the mask's text through it, so its focus moves and highlights do not count.
    for (QLineEdit* entry : {LEdiName, LEdiVorname, static_cast<QLineEdit*>(MEdiGebDat)})
        connect(entry, &QLineEdit::textChanged, this, &TForm1::clearOutdatedEtin);

    setTabOrder(LEdiName, LEdiVorname);
    setTabOrder(LEdiVorname, MEdiGebDat);
    setTabOrder(MEdiGebDat, BtnRechnen);
    setTabOrder(BtnRechnen, BtnDrucken);
    setTabOrder(BtnDrucken, BtnClose);
    setTabOrder(BtnClose, Memo1);
    LEdiName->setFocus(Qt::OtherFocusReason);
}

QLineEdit* TForm1::addLabeledEdit(const char* name, const QString& label, QRect geometry)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    edit->setMaxLength(kMaxNameLength);
    edit->setValidator(new AnsiValidator([] { CurrentPlatform().beep(); }, edit));

    // The label stands to the left of its field, vertically centred on it.
    auto* caption = new QLabel(label, this);
    caption->adjustSize();
    caption->move(geometry.left() - 3 - caption->width(), geometry.center().y() - caption->height() / 2);
    NameAfterLabel(edit, caption);
    return edit;
}

QPushButton* TForm1::addButton(const char* name, const QString& text, QRect geometry, void (TForm1::*click)())
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, click] { RunAction([this, click] { (this->*click)(); }); });
    return button;
}

void TForm1::BtnRechnenClick()
{
    Platform& platform = CurrentPlatform();
    const EtinResult result = ComputeEtin(ToAnsi(LEdiName->text()), ToAnsi(LEdiVorname->text()),
                                          ToAnsi(MEdiGebDat->fieldText()), platform.dateSettings(),
                                          platform.currentYear());
    switch (result.kind) {
    case EtinResult::FamilyNameMissing:
        ShowMessageDialog(QStringLiteral("Name fehlt"));
        LEdiName->setFocus(Qt::OtherFocusReason);
        break;
    case EtinResult::FirstNameMissing:
        ShowMessageDialog(QStringLiteral("Vorname fehlt"));
        LEdiVorname->setFocus(Qt::OtherFocusReason);
        break;
    case EtinResult::Ok:
        LabTIN->setText(FromAnsi(result.etin));
        LabTIN->adjustSize();
        StatusBar1->clearMessage();
        break;
    }
}

// Empties LabTIN the way a calculation fills it, so that screen readers hear
// the change.
void TForm1::clearOutdatedEtin()
{
    if (LabTIN->text().isEmpty())
        return;
    LabTIN->setText(QString());
    LabTIN->adjustSize();
    StatusBar1->showMessage(kEtinCleared, kStatusMessageMs);
}

void TForm1::BtnDruckenClick()
{
    const Platform& platform = CurrentPlatform();
    m_printer->Print({LEdiName->text(), LEdiVorname->text(), MEdiGebDat->fieldText(), LabTIN->text(),
                      QLocale::system().toString(platform.today(), platform.shortDateFormat())});
}

void TForm1::BtnCloseClick()
{
    close();
}

void TForm1::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        m_placed = true;
        CentreOnScreen(*this);
    }
    QWidget::showEvent(event);
}

// Everything keeps its place; only the status bar follows the bottom edge
// and the width.
void TForm1::resizeEvent(QResizeEvent* event)
{
    StatusBar1->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
    QWidget::resizeEvent(event);
}

}  // namespace kennfix
