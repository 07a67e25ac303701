// Size and place of a new document window for screens of any size.

#include "app/windowgeometry.h"

#include <QtTest>

class TestWindowGeometry : public QObject
{
    Q_OBJECT

private slots:
    void initialSize_data();
    void initialSize();
    void cascade();
    void splitterSizes_data();
    void splitterSizes();
};

void TestWindowGeometry::initialSize_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("expected");
    // Up to 1440 pixels wide the window takes the whole available area.
    QTest::newRow("1440 wide") << QRect(0, 0, 1440, 900) << QSize(1440, 900);
    QTest::newRow("laptop") << QRect(0, 0, 1280, 800) << QSize(1280, 800);
    QTest::newRow("below a top panel") << QRect(0, 27, 1440, 873) << QSize(1440, 873);
    QTest::newRow("narrow and tall") << QRect(0, 0, 1024, 1366) << QSize(1024, 1366);
    // From 1441 pixels it takes 85 % of each side, cut to whole pixels.
    QTest::newRow("1441 wide") << QRect(0, 0, 1441, 900) << QSize(1224, 765);
    QTest::newRow("fractions cut") << QRect(0, 0, 1441, 877) << QSize(1224, 745);
    QTest::newRow("full HD below a panel") << QRect(0, 25, 1920, 1055) << QSize(1632, 896);
    QTest::newRow("wide and short") << QRect(0, 0, 2560, 600) << QSize(2176, 510);
    QTest::newRow("second screen origin") << QRect(1920, 0, 2560, 1415) << QSize(2176, 1202);
    QTest::newRow("empty screen") << QRect() << QSize(0, 0);
}

void TestWindowGeometry::initialSize()
{
    QFETCH(QRect, available);
    QFETCH(QSize, expected);
    QCOMPARE(WindowGeometry::initialSize(available), expected);
}

void TestWindowGeometry::cascade()
{
    // Each live window stands 20 pixels further; the first at (30, 30).
    QCOMPARE(WindowGeometry::cascadePosition(1), QPoint(30, 30));
    QCOMPARE(WindowGeometry::cascadePosition(2), QPoint(50, 50));
    QCOMPARE(WindowGeometry::cascadePosition(3), QPoint(70, 70));
    QCOMPARE(WindowGeometry::cascadePosition(12), QPoint(250, 250));
}

void TestWindowGeometry::splitterSizes_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<int>("canvas");
    QTest::addColumn<int>("pane");
    QTest::newRow("900 high") << QRect(0, 0, 1440, 900) << 675 << 90;
    QTest::newRow("fractions cut") << QRect(0, 0, 1441, 877) << 657 << 87;
    QTest::newRow("1415 high") << QRect(0, 25, 2560, 1415) << 1061 << 141;
    QTest::newRow("width plays no part") << QRect(0, 0, 800, 1000) << 750 << 100;
}

void TestWindowGeometry::splitterSizes()
{
    QFETCH(QRect, available);
    QFETCH(int, canvas);
    QFETCH(int, pane);
    QCOMPARE(WindowGeometry::splitterSizes(available), (QList<int>{ canvas, pane }));
}

QTEST_APPLESS_MAIN(TestWindowGeometry)
#include "test_windowgeometry.moc"
