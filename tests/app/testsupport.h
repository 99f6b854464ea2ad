#pragma once

// What the window tests share: a platform that the test controls, and a
// watcher that answers every modal box and remembers what it showed.

#include <QDate>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QWidget>

#include <memory>
#include <QString>
#include <QStringList>

#include "app/platform.h"
#include "app/unit1.h"
#include "tests/qtfrontend/boxwatcher.h"

namespace kennfix {

class TestPlatform : public Platform {
public:
    TestPlatform() { m_previous = SetPlatform(this); }
    ~TestPlatform() override { SetPlatform(m_previous); }

    DateSettings dateSettings() const override { return settings; }
    QString shortDateFormat() const override { return format; }
    QDate today() const override { return date; }
    void beep() override { ++beeps; }

    DateSettings settings;
    QString format = QStringLiteral("dd.MM.yyyy");
    QDate date{2026, 12, 8};
    int beeps = 0;

private:
    Platform* m_previous;
};

// Types `text` into `widget` as key presses carrying the characters; unlike
// QTest::keyClicks it takes any Unicode character.
void TypeText(QWidget* widget, const QString& text);

// A left click on `widget` as the window system delivers it: through the
// window, where the date field checks a press before the focus moves.
void ClickThroughWindow(QWidget* widget, QPoint position = {});

// Opens `widget`'s context menu as a right click at `position` does and
// gives the open menu; nullptr when none opened.
QMenu* OpenContextMenu(QWidget* widget, QPoint position = {});

// The entries of `menu` as they read, without the marks of their access
// keys ("&Kopieren" reads "Kopieren"), shortcuts after a tab.
QStringList MenuEntries(const QMenu* menu);

// The main window, shown and active, with a test platform and a box watcher
// that outlive it.
struct ShownWindow {
    ShownWindow();
    // Waits until the window system has made the window active.
    bool waitForActive();

    TestPlatform platform;
    BoxWatcher boxes;
    std::unique_ptr<TForm1> form;
};

}  // namespace kennfix
