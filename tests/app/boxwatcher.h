#pragma once

// A watcher that answers every modal message box of a window test and
// remembers what it showed; shared by the tests of every window program.

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace kennfix {

struct ShownBox {
    QString title;
    QString text;
    bool stopIcon;
    bool isMessageDialog;
};

// Closes every modal box as soon as it is open, by pressing Enter (the
// default button), and keeps a record of each. A box that Enter does not
// close aborts the test program.
class BoxWatcher : public QObject {
    Q_OBJECT
public:
    BoxWatcher();
    QList<ShownBox> boxes;

private:
    void poll();
    QTimer m_timer;
};

}  // namespace kennfix
