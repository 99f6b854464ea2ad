// Qt's widgets keep nothing: what Qt's file dialog would note through
// QSettings (the folders it showed, its history) cannot be written anywhere.

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include "qtfrontend/startapplication.h"

class TestQtSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { kennfix::KeepQtSettingsNowhere(); }

    // As Qt's file dialog writes its folders: the user's settings of the
    // organisation "QtProject".
    void theFileDialogsRecordsCannotBeWritten()
    {
        QSettings settings(QSettings::UserScope, QStringLiteral("QtProject"));
        settings.beginGroup(QStringLiteral("FileDialog"));
        settings.setValue(QStringLiteral("lastVisited"), QStringLiteral("file:///Personal/Listen"));
        settings.endGroup();
        settings.sync();
        QCOMPARE(settings.status(), QSettings::AccessError);
        QVERIFY2(!QFileInfo::exists(settings.fileName()), qPrintable(settings.fileName()));
    }

    void noSettingsOfAnyScopeOrFormat_data()
    {
        QTest::addColumn<QSettings::Format>("format");
        QTest::addColumn<QSettings::Scope>("scope");
        QTest::newRow("ini, user") << QSettings::IniFormat << QSettings::UserScope;
        QTest::newRow("ini, system") << QSettings::IniFormat << QSettings::SystemScope;
        QTest::newRow("native, user") << QSettings::NativeFormat << QSettings::UserScope;
        QTest::newRow("native, system") << QSettings::NativeFormat << QSettings::SystemScope;
    }

    void noSettingsOfAnyScopeOrFormat()
    {
        QFETCH(QSettings::Format, format);
        QFETCH(QSettings::Scope, scope);
        QSettings settings(format, scope, QStringLiteral("QtProject"), QStringLiteral("Kennfix"));
        settings.setValue(QStringLiteral("history"), QStringList{QStringLiteral("/Personal/Listen")});
        settings.sync();
        QCOMPARE(settings.status(), QSettings::AccessError);
    }
};

QTEST_GUILESS_MAIN(TestQtSettings)
#include "tst_qtsettings.moc"
