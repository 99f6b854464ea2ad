#pragma once

// kennfix-liste's command line: the list to open at start, and the options
// that say how lists are read and written, the same as kennfix-batch's.

#include <QString>
#include <QStringList>

#include "listengine/list.h"

namespace kennfix::liste {

struct CommandLine {
    enum class Action {
        ShowWindow,
        ShowHelp,     // text: the help, for standard output
        ShowVersion,  // text: "kennfix-liste 1.0.0"
        Refuse,       // text: what is wrong with the call, for standard error
    };
    Action action = Action::ShowWindow;
    QString text;
    QString file;  // empty: open no list at start
    listengine::ListOptions options;
};

// `arguments` as QCoreApplication::arguments() gives them, the program's
// path first; `version` for --version. Qt's texts (the headings of the
// help, some errors) are German once Qt's German translations are loaded.
CommandLine ParseCommandLine(const QStringList& arguments, const QString& version);

}  // namespace kennfix::liste
