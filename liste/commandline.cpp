#include "liste/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <string_view>
#include <utility>
#include <vector>

#include "listengine/files.h"
#include "listengine/messagetext.h"
#include "listengine/options.h"

namespace kennfix::liste {
namespace {

const QString kProgram = QStringLiteral("kennfix-liste");

const QString kDescription = QStringLiteral(
    "Zeigt eine Personalliste (CSV) mit der eTIN jeder Zeile, prüft gespeicherte eTINs und speichert die\n"
    "Liste mit den Spalten eTIN, Prüfung und Fehler, genau wie kennfix-batch sie mit denselben Optionen\n"
    "schreibt. Die Optionen sagen, wie Listen gelesen und gespeichert werden; eine gewöhnliche Liste\n"
    "braucht keine.");

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string Text(const QString& value)
{
    return value.toStdString();
}

QString Quoted(const QString& text)
{
    return QString::fromStdString(listengine::QuotedForMessage(text.toStdString()));
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
    parser.addOptions({help, showVersion});
    // The list options, each with the field of ListOptionTexts it fills.
    std::vector<std::pair<QCommandLineOption, const listengine::ListOption*>> listOptions;
    for (const listengine::ListOption& option : listengine::ListOptionTable()) {
        QStringList names{Utf8(option.name)};
        if (option.shortName)
            names.prepend(QString(QLatin1Char(option.shortName)));
        listOptions.emplace_back(QCommandLineOption(names, Utf8(option.help), Utf8(option.placeholder)), &option);
        parser.addOption(listOptions.back().first);
    }
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
        line.text += QStringLiteral("\nMehr im Handbuch: ") +
                     QString::fromStdString(listengine::ManualReference("kennfix-liste")) + u'\n';
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
        line.text = QStringLiteral("Ein Argument zu viel: ") + Quoted(files.at(1)) + u'.';
        return line;
    }

    listengine::ListOptionTexts texts;
    for (const auto& [qtOption, option] : listOptions) {
        if (parser.isSet(qtOption))
            texts.*option->text = Text(parser.value(qtOption));
    }
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
