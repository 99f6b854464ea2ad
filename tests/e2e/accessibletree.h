#pragma once

// A program's objects as a screen reader meets them over AT-SPI, read by
// atspi_tree.py (its path in KENNFIX_ATSPI_TREE) on a test's desktop.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DesktopSession;

struct Accessible {
    QString role;
    QString name;
    QString description;
    QStringList states;
    std::optional<QString> text;
    QString labelledBy;  // the name of its label, as a screen reader reads it before its own
};

// Every object of the program with process id `pid`, the application
// first and then depth first; empty when the tree cannot be read.
QList<Accessible> ReadAccessibleTree(const DesktopSession& desktop, qint64 pid);
