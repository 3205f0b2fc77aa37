#include "tray/sys_tray.h"

#include "qtest_main.h"

#include <QSignalSpy>

#include <climits>

using namespace Qt::StringLiterals;

namespace tarnwick {

class TrayTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nothingIsShownUntilInTray();
    void showingTwiceShowsOnceAndHidingRemoves();
    void theTipIsCutAndFollowsWhileShown();
    void aNullIconIsIgnored();
    void balloonsAreCutAndOnceMeansOnce();
    void aBalloonClosesAfterItsTime();
    void mouseEventsBecomeSignals_data();
    void mouseEventsBecomeSignals();
    void destroyingTheControlRemovesTheIcon();
    void availabilityComesFromTheSeam();
    void theApplicationIconHasItsSizes();
};

void TrayTest::nothingIsShownUntilInTray()
{
    cSysTray tray;
    QCOMPARE(tray.TrayTip(), u"Telnet Server"_s);
    tray.setTrayTip(u"Tarnwick"_s);
    tray.setTrayIcon(ApplicationIcon());
    QVERIFY(tray.icon() == nullptr);
    QVERIFY(!tray.InTray());
}

void TrayTest::showingTwiceShowsOnceAndHidingRemoves()
{
    cSysTray tray;
    tray.setInTray(false); // false when already false: nothing
    QVERIFY(tray.icon() == nullptr);
    tray.setInTray(true);
    const QSystemTrayIcon *first = tray.icon();
    QVERIFY(first != nullptr);
    QVERIFY(first->isVisible());
    tray.setInTray(true);
    QCOMPARE(tray.icon(), first);
    tray.setInTray(false);
    QVERIFY(tray.icon() == nullptr);
    QVERIFY(!tray.InTray());
}

void TrayTest::theTipIsCutAndFollowsWhileShown()
{
    cSysTray tray;
    tray.setTrayTip(QString(200, u'x'));
    QCOMPARE(tray.TrayTip().size(), 127);
    // never half a character: an emoji across the limit goes whole
    tray.setTrayTip(QString(126, u'x') + u"\U0001F600"_s);
    QCOMPARE(tray.TrayTip(), QString(126, u'x'));
    tray.setTrayTip(QString(200, u'x'));
    tray.setInTray(true);
    QCOMPARE(tray.icon()->toolTip(), QString(127, u'x'));
    tray.setTrayTip(u"Tarnwick"_s);
    QCOMPARE(tray.icon()->toolTip(), u"Tarnwick"_s);
    tray.setInTray(false);
    tray.setTrayTip(u"later"_s);
    tray.setInTray(true);
    QCOMPARE(tray.icon()->toolTip(), u"later"_s);
}

void TrayTest::aNullIconIsIgnored()
{
    cSysTray tray;
    const QIcon icon = ApplicationIcon();
    tray.setTrayIcon(icon);
    tray.setTrayIcon(QIcon());
    tray.setTrayIcon(QIcon(u"/no/such/picture.png"_s));
    QCOMPARE(tray.TrayIcon().cacheKey(), icon.cacheKey());
    tray.setInTray(true);
    QCOMPARE(tray.icon()->icon().cacheKey(), icon.cacheKey());
}

void TrayTest::balloonsAreCutAndOnceMeansOnce()
{
    cSysTray tray;
    tray.setInTray(true);
    QSignalSpy shown(&tray, &cSysTray::balloonShown);
    tray.ShowBalloon(QString(300, u't'), QString(100, u'T'), 5, true);
    tray.ShowBalloon(u"again"_s, u"Tarnwick"_s, 5, true);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0][0].toString(), QString(63, u'T'));
    QCOMPARE(shown[0][1].toString(), QString(255, u't'));
    QVERIFY(tray.balloonOpen());
    tray.ShowBalloon(u"every time"_s, u"Tarnwick"_s, 0, false);
    tray.ShowBalloon(u"every time"_s, u"Tarnwick"_s, 0, false);
    QCOMPARE(shown.size(), 3);
    tray.ShowBalloon(u"a very long time"_s, u"Tarnwick"_s, INT_MAX, false); // no overflow of the time-out
    QVERIFY(tray.balloonOpen());
}

void TrayTest::aBalloonClosesAfterItsTime()
{
    cSysTray tray;
    tray.setInTray(true);
    tray.ShowBalloon(u"text"_s, u"title"_s, 1, false);
    QVERIFY(tray.balloonOpen());
    QTRY_VERIFY_WITH_TIMEOUT(!tray.balloonOpen(), 5000);
    // clicking it closes it at once
    tray.ShowBalloon(u"text"_s, u"title"_s, 30, false);
    Q_EMIT tray.icon()->messageClicked();
    QVERIFY(!tray.balloonOpen());
}

void TrayTest::mouseEventsBecomeSignals_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<QString>("events");
    QTest::newRow("left click") << QSystemTrayIcon::Trigger << u"down 1, up 1, activate"_s;
    QTest::newRow("right click") << QSystemTrayIcon::Context << u"down 2, up 2, activate"_s;
    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << u"double 1"_s;
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << QString();
    QTest::newRow("unknown") << QSystemTrayIcon::Unknown << QString();
}

void TrayTest::mouseEventsBecomeSignals()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(QString, events);
    cSysTray tray;
    tray.setInTray(true);
    QStringList seen;
    connect(&tray, &cSysTray::MouseDown, this, [&](int button, int id) { seen << u"down %1"_s.arg(button + id); });
    connect(&tray, &cSysTray::MouseUp, this, [&](int button, int id) { seen << u"up %1"_s.arg(button + id); });
    connect(&tray, &cSysTray::MouseDblClick, this,
            [&](int button, int id) { seen << u"double %1"_s.arg(button + id); });
    connect(&tray, &cSysTray::activationRequested, this, [&] { seen << u"activate"_s; });
    Q_EMIT tray.icon()->activated(reason);
    QCOMPARE(seen.join(u", "_s), events);
}

void TrayTest::destroyingTheControlRemovesTheIcon()
{
    auto tray = std::make_unique<cSysTray>();
    tray->setInTray(true);
    QPointer<QSystemTrayIcon> icon = tray->icon();
    tray.reset();
    QVERIFY(icon.isNull());
}

void TrayTest::availabilityComesFromTheSeam()
{
    QCOMPARE(cSysTray().trayAvailable(), QSystemTrayIcon::isSystemTrayAvailable());
    QVERIFY(cSysTray(nullptr, [] { return true; }).trayAvailable());
    QVERIFY(!cSysTray(nullptr, [] { return false; }).trayAvailable());
}

void TrayTest::theApplicationIconHasItsSizes()
{
    const QIcon icon = ApplicationIcon();
    QVERIFY(!icon.isNull());
    for (const int size : {16, 32, 48, 256}) {
        const QPixmap pixmap = icon.pixmap(size, size);
        QCOMPARE(pixmap.size(), QSize(size, size));
        // blue at the centre of the ring's left side
        const QColor colour = pixmap.toImage().pixelColor(size / 8, size / 2);
        QVERIFY2(colour.blue() > 150 && colour.red() < 80, qPrintable(colour.name()));
    }
}

} // namespace tarnwick

TARNWICK_QTEST_MAIN(tarnwick::TrayTest)
#include "tray_test.moc"
