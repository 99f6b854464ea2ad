#pragma once

// A watcher that answers every modal message box of a window test and
// remembers what it showed; shared by the tests of every window program.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace kennfix {

struct ShownBox {
    QString title;
    QString text;
    bool stopIcon;
    QString className;  // as the box's meta-object names it: kennfix::MessageDialog, QMessageBox
    QStringList buttons;
};

// Closes every modal box as soon as it is open, by pressing `answer`: Enter
// (the default button) unless a test asks for Escape, and keeps a record of
// each. A box that the key does not close aborts the test program.
class BoxWatcher : public QObject {
    Q_OBJECT
public:
    BoxWatcher();
    QList<ShownBox> boxes;
    Qt::Key answer = Qt::Key_Return;

private:
    void poll();
    QTimer m_timer;
};

}  // namespace kennfix
