#include "app/error_report.h"
#include "app/settings.h"
#include "fakes.h"

#include "qtest_main.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace tarnwick {

class SettingsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultsWhenAbsent_data();
    void defaultsWhenAbsent();
    void savesAtOnceInThePerUserIniFile();
    void truthValues_data();
    void truthValues();
    void aFailingSaveIsReported();
    void errorReportText();
    void procedureGoesOnAfterAFailingStep();
};

void SettingsTest::defaultsWhenAbsent_data()
{
    QTest::addColumn<SettingKey>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("Folders") << SettingKey::Folders << u"Folders"_s << QString();
    QTest::newRow("Option5") << SettingKey::Option5 << u"Option5"_s << u"0"_s;
    QTest::newRow("Option4") << SettingKey::Option4 << u"Option4"_s << u"0"_s;
    QTest::newRow("Option3") << SettingKey::Option3 << u"Option3"_s << u"1"_s;
    QTest::newRow("Weekly") << SettingKey::Weekly << u"Weekly"_s << u"Monday"_s;
    QTest::newRow("Text1") << SettingKey::Text1 << u"Text1"_s << u"0"_s;
    QTest::newRow("Text2") << SettingKey::Text2 << u"Text2"_s << u"0"_s;
    QTest::newRow("Text3") << SettingKey::Text3 << u"Text3"_s << u"5"_s;
    QTest::newRow("StartStopState") << SettingKey::StartStopState << u"StartStopState"_s << u"Off"_s;
    QTest::newRow("Windows Startup") << SettingKey::WindowsStartup << u"Windows Startup"_s << u"Off"_s;
    QTest::newRow("Minimized") << SettingKey::Minimized << u"Minimized"_s << u"Off"_s;
}

void SettingsTest::defaultsWhenAbsent()
{
    QFETCH(SettingKey, key);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QTemporaryDir dir;
    Settings settings(dir.filePath(u"s.ini"_s));
    QCOMPARE(QLatin1String(Definition(key).name), name);
    QVERIFY(!settings.contains(key));
    QCOMPARE(settings.value(key), value);
}

void SettingsTest::savesAtOnceInThePerUserIniFile()
{
    Settings settings;
    // the user's configuration folder is the test's temporary one
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Quelvane.ini"_s;
    QCOMPARE(QDir::cleanPath(settings.fileName()), QDir::cleanPath(expected));
    settings.save(SettingKey::WeeklyTime, u"9:00:00 AM"_s);
    settings.save(SettingKey::WindowsStartup, u"On"_s);

    QFile file(expected);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY2(text.contains(u"[Tarnwick]"_s), qPrintable(text));
    QVERIFY2(text.contains(u"Windows%20Startup=On"_s), qPrintable(text));

    // a second reader (another copy of the program) sees it at once
    Settings other;
    QCOMPARE(other.value(SettingKey::WeeklyTime), u"9:00:00 AM"_s);
}

void SettingsTest::truthValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // 1 true, 0 false, -1 not a truth value
    QTest::newRow("True") << u"True"_s << 1;
    QTest::newRow("False") << u"False"_s << 0;
    QTest::newRow("lower case") << u"true"_s << 1;
    QTest::newRow("1") << u"1"_s << 1;
    QTest::newRow("-1") << u"-1"_s << 1;
    QTest::newRow("0") << u"0"_s << 0;
    QTest::newRow("0.0") << u"0.0"_s << 0;
    QTest::newRow("word") << u"yes"_s << -1;
    QTest::newRow("empty") << QString() << -1;
}

void SettingsTest::truthValues()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    if (expected < 0) {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, Settings::toTruth(text));
        return;
    }
    QCOMPARE(Settings::toTruth(text), expected == 1);
    QCOMPARE(Settings::fromTruth(expected == 1), expected == 1 ? u"True"_s : u"False"_s);
}

void SettingsTest::aFailingSaveIsReported()
{
    QTemporaryDir dir;
    // a folder where the file should be: the settings cannot be written
    QVERIFY(QDir(dir.path()).mkpath(u"s.ini"_s));
    Settings settings(dir.filePath(u"s.ini"_s));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, settings.save(SettingKey::Text1, u"3"_s));
}

void SettingsTest::errorReportText()
{
    QCOMPARE(ErrorReportText(u"Type mismatch"_s, u"Tarnwick2021/08/31.Form1.Form_Load "_s, 116),
             u"Type mismatch\nin Tarnwick2021/08/31.Form1.Form_Load at line 116\n\n"
             u"Please email screenshot of this message to support@quelvane.example"_s);
}

void SettingsTest::procedureGoesOnAfterAFailingStep()
{
    testing::ScriptedPrompts prompts;
    Procedure procedure(prompts, u"Tarnwick2021/08/31.Form1.PushButton7_Click "_s);
    QStringList ran;
    QVERIFY(procedure.step([&] { ran << u"first"_s; }));
    QVERIFY(!procedure.step([&] { throw std::runtime_error("Path not found"); }));
    QVERIFY(procedure.step([&] { ran << u"third"_s; }));
    QCOMPARE(ran, (QStringList {u"first"_s, u"third"_s}));
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(prompts.errors.front().startsWith(
                 u"Path not found\nin Tarnwick2021/08/31.Form1.PushButton7_Click at line 102\n"_s),
             qPrintable(prompts.errors.front()));
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::SettingsTest)
#include "settings_test.moc"
