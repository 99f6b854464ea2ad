#include "liste/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include "listengine/options.h"
#include "listengine/messagetext.h"

namespace kennfix::liste {
namespace {

const QString kProgram = QStringLiteral("kennfix-liste");

const QString kDescription = QStringLiteral(
    "Zeigt eine Personalliste (CSV) mit der eTIN jeder Zeile, prüft gespeicherte eTINs und speichert die\n"
    "Liste mit den Spalten eTIN, Prüfung und Fehler, genau wie kennfix-batch sie mit denselben Optionen\n"
    "schreibt. Die Optionen sagen, wie Listen gelesen und gespeichert werden; eine gewöhnliche Liste\n"
    "braucht keine.");

std::string Text(const QString& value)
{
    return value.toStdString();
}

QString Quoted(const QString& text)
{
    return QString::fromStdString(listengine::Quoted(listengine::ForMessage(text.toStdString())));
}

// What is wrong with a call the parser refused, worded as kennfix-batch words
// it, the option in German quotes.
QString UsageError(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        const QString dashes = name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
        return QStringLiteral("Unbekannte Option ") + Quoted(dashes + name) + u'.';
    }
    // The other refusal: an option that takes a value came last.
    if (arguments.size() > 1 && arguments.last().startsWith(u'-'))
        return QStringLiteral("Der Option ") + Quoted(arguments.last()) + QStringLiteral(" fehlt ihr Wert.");
    return parser.errorText();
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments, const QString& version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Diese Hilfe zeigen"));
    const QCommandLineOption showVersion(QStringLiteral("version"), QStringLiteral("Die Versionsnummer zeigen"));
    const QCommandLineOption delimiter({QStringLiteral("d"), QStringLiteral("delimiter")},
                                       QStringLiteral("; , oder tab (Vorgabe: aus der Kopfzeile)"), QStringLiteral("ZEICHEN"));
    const QCommandLineOption encoding(QStringLiteral("encoding"),
                                      QStringLiteral("der Liste: auto, utf-8, windows-1252, utf-16le, utf-16be"),
                                      QStringLiteral("KODIERUNG"));
    const QCommandLineOption outputEncoding(QStringLiteral("output-encoding"),
                                            QStringLiteral("der gespeicherten Liste (Vorgabe: auto, wie die Liste)"),
                                            QStringLiteral("KODIERUNG"));
    const QCommandLineOption familyName(QStringLiteral("family-name-column"),
                                        QStringLiteral("Spalte des Familiennamens (Familienname)"), QStringLiteral("NAME"));
    const QCommandLineOption firstName(QStringLiteral("first-name-column"), QStringLiteral("Spalte des Vornamens (Vorname)"),
                                       QStringLiteral("NAME"));
    const QCommandLineOption birthDate(QStringLiteral("birth-date-column"),
                                       QStringLiteral("Spalte des Geburtsdatums (Geburtsdatum)"), QStringLiteral("NAME"));
    const QCommandLineOption dateSeparator(QStringLiteral("date-separator"), QStringLiteral("Trennzeichen im Datum (.)"),
                                           QStringLiteral("ZEICHEN"));
    const QCommandLineOption dateOrder(QStringLiteral("date-order"),
                                       QStringLiteral("dmy (Vorgabe), mdy oder ymd: Tag, Monat, Jahr"), QStringLiteral("FOLGE"));
    const QCommandLineOption year(QStringLiteral("year"), QStringLiteral("das laufende Jahr (Vorgabe: heute)"),
                                  QStringLiteral("JAHR"));
    parser.addOptions({help, showVersion, delimiter, encoding, outputEncoding, familyName, firstName, birthDate,
                       dateSeparator, dateOrder, year});
    parser.addPositionalArgument(QStringLiteral("DATEI"), QStringLiteral("die Liste, die beim Start geöffnet wird"),
                                 QStringLiteral("[DATEI]"));

    CommandLine line;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        // Qt names the program as the running process was called, path and all.
        line.action = CommandLine::Action::ShowHelp;
        line.text = parser.helpText();
        const QString called = QCoreApplication::arguments().value(0);
        if (!called.isEmpty() && line.text.contains(called))
            line.text.replace(line.text.indexOf(called), called.size(), kProgram);
        return line;
    }
    if (parser.isSet(showVersion)) {
        line.action = CommandLine::Action::ShowVersion;
        line.text = kProgram + u' ' + version;
        return line;
    }
    line.action = CommandLine::Action::Refuse;
    if (!parsed) {
        line.text = UsageError(parser, arguments);
        return line;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        line.text = QStringLiteral("Ein Argument zu viel: „%1“.").arg(files.at(1));
        return line;
    }

    listengine::ListOptionTexts texts;
    const auto take = [&](const QCommandLineOption& option, std::string& text) {
        if (parser.isSet(option))
            text = Text(parser.value(option));
    };
    if (parser.isSet(delimiter))
        texts.delimiter = Text(parser.value(delimiter));
    if (parser.isSet(year))
        texts.year = Text(parser.value(year));
    take(encoding, texts.encoding);
    take(outputEncoding, texts.outputEncoding);
    take(familyName, texts.familyNameColumn);
    take(firstName, texts.firstNameColumn);
    take(birthDate, texts.birthDateColumn);
    take(dateSeparator, texts.dateSeparator);
    take(dateOrder, texts.dateOrder);
    try {
        line.options = listengine::ListOptionsFrom(texts);
    } catch (const listengine::OptionError& e) {
        line.text = QString::fromUtf8(e.what());
        return line;
    }
    line.action = CommandLine::Action::ShowWindow;
    line.text.clear();
    line.file = files.value(0);
    return line;
}

}  // namespace kennfix::liste
