#include "model/phasearrival.h"
#include "model/traveltimecurve.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

struct Point
{
    double distance;
    qint64 time;
    double ray;
};

QVector<Point> points(const QVector<TravelTimeDistance*>& list)
{
    QVector<Point> out;
    for (const TravelTimeDistance* p : list)
        out.append({p->angularDistance, p->travelTime, p->rayParameter});
    return out;
}

bool samePoints(const QVector<TravelTimeDistance*>& list, const QVector<Point>& expected)
{
    const QVector<Point> got = points(list);
    if (got.size() != expected.size())
        return false;
    for (int i = 0; i < got.size(); ++i) {
        if (got[i].distance != expected[i].distance || got[i].time != expected[i].time
            || got[i].ray != expected[i].ray)
            return false;
    }
    return true;
}

// Paints the curve on a transparent image with the time axis along x
// (1 px per second) and distance along y (10 px per degree).
QImage render(const TravelTimeCurve& curve, double penWidth, bool allArrivals,
              double distanceScale = 10.0, int originY = 0)
{
    QImage image(400, 400, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(0, originY);
    curve.paintCurve(&painter, 0.001, distanceScale, penWidth, allArrivals);
    painter.end();
    return image;
}

int paintedPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) != 0;
    }
    return n;
}

} // namespace

class TestTravelTimeCurve : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void phaseArrivals()
    {
        const PhaseArrival blank;
        QCOMPARE(blank.earthModel(), QStringLiteral("iasp91"));
        QVERIFY(blank.phaseName().isEmpty());
        QCOMPARE(blank.arrivalTimeMSecs(), qint64(0));
        PhaseArrival p(QStringLiteral("PcP"), 512345);
        QCOMPARE(p.earthModel(), QStringLiteral("iasp91"));
        QCOMPARE(p.phaseName(), QStringLiteral("PcP"));
        p.setArrivalTimeMSecs(-5);
        QCOMPARE(p.arrivalTimeMSecs(), qint64(-5));
    }

    void firstArrivalKeepsTheEarliestBranch()
    {
        TravelTimeCurve later(QStringLiteral("iasp91"), QStringLiteral("P"));
        later.addTimeDistance(10, 120000, 13.0);
        later.addTimeDistance(10, 118000, 13.5);
        QVERIFY(samePoints(later.allArrivals, {{10, 120000, 13.0}, {10, 118000, 13.5}}));
        QVERIFY(samePoints(later.firstArrivals, {{10, 118000, 13.5}}));

        TravelTimeCurve earlier(QStringLiteral("iasp91"), QStringLiteral("P"));
        earlier.addTimeDistance(10, 118000, 13.5);
        earlier.addTimeDistance(10, 120000, 13.0);
        earlier.addTimeDistance(10, 118000, 99.0); // an equal time keeps the first point
        QVERIFY(samePoints(earlier.firstArrivals, {{10, 118000, 13.5}}));
        QCOMPARE(earlier.allArrivals.size(), 3);

        // First arrivals are points of their own.
        earlier.firstArrivals[0]->travelTime = 1;
        QCOMPARE(earlier.allArrivals[0]->travelTime, qint64(118000));
        QCOMPARE(earlier.earthModel(), QStringLiteral("iasp91"));
        QCOMPARE(earlier.phaseName(), QStringLiteral("P"));
    }

    void mergeFoldsFirstArrivalsOnly()
    {
        TravelTimeCurve p(QStringLiteral("iasp91"), QStringLiteral("P"));
        p.addTimeDistance(3, 40000, 13.7);
        p.addTimeDistance(2, 30000, 13.8);
        TravelTimeCurve pn(QStringLiteral("iasp91"), QStringLiteral("Pn"));
        pn.addTimeDistance(2, 28000, 13.9);
        pn.addTimeDistance(1, 15000, 13.9);

        p.mergeFirstArrivals(&pn);
        // The time of the earlier branch, the ray parameter of the point kept.
        QVERIFY(samePoints(p.firstArrivals, {{1, 15000, 13.9}, {2, 28000, 13.8}, {3, 40000, 13.7}}));
        QVERIFY(samePoints(p.allArrivals, {{3, 40000, 13.7}, {2, 30000, 13.8}}));
        QVERIFY(samePoints(pn.firstArrivals, {{2, 28000, 13.9}, {1, 15000, 13.9}}));
        // The merged point is a copy: the other curve stays untouched.
        p.firstArrivals[0]->travelTime = 0;
        QCOMPARE(pn.firstArrivals[1]->travelTime, qint64(15000));

        // A later branch does not replace an earlier first arrival.
        TravelTimeCurve slow(QStringLiteral("iasp91"), QStringLiteral("p"));
        slow.addTimeDistance(3, 41000, 1.0);
        p.mergeFirstArrivals(&slow);
        QCOMPARE(p.firstArrivals.last()->travelTime, qint64(40000));
    }

    void sortsAreAscending()
    {
        TravelTimeCurve c(QStringLiteral("iasp91"), QStringLiteral("PKP"));
        c.addTimeDistance(150, 1190000, 2.0);
        c.addTimeDistance(145, 1170000, 4.0);
        c.addTimeDistance(150, 1185000, 1.0);
        c.addTimeDistance(140, 1200000, 3.0);
        c.sortAllArrivalsByRayParameter();
        QVERIFY(samePoints(c.allArrivals, {{150, 1185000, 1.0}, {150, 1190000, 2.0},
                                           {140, 1200000, 3.0}, {145, 1170000, 4.0}}));
        c.sortFirstArrivalsByAngularDistance();
        QVERIFY(samePoints(c.firstArrivals,
                           {{140, 1200000, 3.0}, {145, 1170000, 4.0}, {150, 1185000, 1.0}}));
        c.sortFirstArrivalsByArrivalTime();
        QVERIFY(samePoints(c.firstArrivals,
                           {{145, 1170000, 4.0}, {150, 1185000, 1.0}, {140, 1200000, 3.0}}));

        TravelTimeDistance a{1, 2, 3}, b{1, 2, 3};
        QVERIFY(!rayParameterCompare(&a, &b) && !angularDistanceCompare(&a, &b)
                && !travelTimeCompare(&a, &b));
        b = {2, 3, 4};
        QVERIFY(rayParameterCompare(&a, &b) && angularDistanceCompare(&a, &b)
                && travelTimeCompare(&a, &b));
        QVERIFY(!rayParameterCompare(&b, &a));
    }

    void colourByPhase_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("dotted");
        const QString red = QStringLiteral("red");
        QTest::newRow("P") << "P" << red << false;
        QTest::newRow("Pn") << "Pn" << red << false;
        QTest::newRow("PP") << "PP" << red << false;
        QTest::newRow("pP") << "pP" << red << false;
        QTest::newRow("sP") << "sP" << red << false;
        QTest::newRow("sS") << "sS" << red << false;
        QTest::newRow("Pdiff") << "Pdiff" << red << true;
        QTest::newRow("PcP") << "PcP" << "olivedrab" << false;
        QTest::newRow("PKiKP") << "PKiKP" << "lawngreen" << false;
        QTest::newRow("PKP") << "PKP" << "lawngreen" << false;
        QTest::newRow("S") << "S" << "darkturquoise" << false;
        QTest::newRow("s") << "s" << "darkturquoise" << false;
        QTest::newRow("SKS") << "SKS" << "darkturquoise" << false;
        QTest::newRow("ScS") << "ScS" << "darkturquoise" << false;
        QTest::newRow("Sdiff") << "Sdiff" << "darkturquoise" << false;
        QTest::newRow("LR") << "LR" << "purple" << false;
        QTest::newRow("LQ") << "LQ" << "purple" << false;
    }

    void colourByPhase()
    {
        QFETCH(QString, phase);
        QFETCH(QString, colour);
        QFETCH(bool, dotted);
        // A horizontal line at 10 degrees from 0 s to 300 s.
        TravelTimeCurve c(QStringLiteral("iasp91"), phase);
        c.addTimeDistance(10, 0, 1);
        c.addTimeDistance(10, 300000, 1);
        const QImage image = render(c, 1.0, true);
        const QColor expected(colour);
        int painted = 0;
        for (int x = 0; x <= 300; ++x) {
            const QRgb px = image.pixel(x, 100);
            if (qAlpha(px) == 0)
                continue;
            ++painted;
            QVERIFY2(qAbs(qAlpha(px) - 128) <= 1, qPrintable(QString::number(qAlpha(px))));
            QVERIFY(qAbs(qRed(px) - expected.red()) <= 2);
            QVERIFY(qAbs(qGreen(px) - expected.green()) <= 2);
            QVERIFY(qAbs(qBlue(px) - expected.blue()) <= 2);
        }
        if (dotted)
            QVERIFY2(painted > 20 && painted < 250, qPrintable(QString::number(painted)));
        else
            QVERIFY(painted >= 300);
    }

    void linesJoinThePointsInOrder()
    {
        TravelTimeCurve c(QStringLiteral("iasp91"), QStringLiteral("P"));
        QCOMPARE(paintedPixels(render(c, 1.0, true)), 0);
        c.addTimeDistance(5, 100000, 1);
        QCOMPARE(paintedPixels(render(c, 1.0, true)), 0);
        QCOMPARE(paintedPixels(render(c, 1.0, false)), 0);

        // Two points: one vertical line from (100 px, 50 px) to (100 px, 200 px).
        c.addTimeDistance(20, 100000, 2);
        QImage one = render(c, 1.0, false);
        QVERIFY(qAlpha(one.pixel(100, 50)) && qAlpha(one.pixel(100, 125))
                && qAlpha(one.pixel(100, 200)));
        QCOMPARE(paintedPixels(one), 151);

        // Distances up the page: a negative scale from an origin at the bottom.
        const QImage up = render(c, 1.0, false, -10.0, 399);
        QVERIFY(qAlpha(up.pixel(100, 349)) && qAlpha(up.pixel(100, 199)));
        QCOMPARE(paintedPixels(up), 151);

        // A wider pen covers more pixels; the width is truncated (2.9 -> 2).
        const int two = paintedPixels(render(c, 2.0, false));
        QCOMPARE(paintedPixels(render(c, 2.9, false)), two);
        QVERIFY(two > 151);

        // Coordinates are truncated toward zero: 100.9 s -> 100 px.
        TravelTimeCurve t(QStringLiteral("iasp91"), QStringLiteral("P"));
        t.addTimeDistance(5, 100900, 1);
        t.addTimeDistance(20, 100900, 1);
        const QImage truncated = render(t, 1.0, true);
        QVERIFY(qAlpha(truncated.pixel(100, 125)) != 0);
        QCOMPARE(qAlpha(truncated.pixel(101, 125)), 0);
    }

    void allArrivalsOrFirstArrivals()
    {
        // Two branches at 10 degrees: allArrivals draws the join between
        // them, firstArrivals only the earliest per distance.
        TravelTimeCurve c(QStringLiteral("iasp91"), QStringLiteral("P"));
        c.addTimeDistance(10, 100000, 1);
        c.addTimeDistance(10, 300000, 2);
        c.addTimeDistance(20, 200000, 3);
        const QImage all = render(c, 1.0, true);
        const QImage first = render(c, 1.0, false);
        QVERIFY(qAlpha(all.pixel(200, 100)) != 0);   // on (100,100)-(300,100)
        QCOMPARE(qAlpha(first.pixel(200, 100)), 0);
        QVERIFY(qAlpha(first.pixel(150, 150)) != 0); // on (100,100)-(200,200)
    }

    void farPointsAreClipped()
    {
        // A travel time far beyond any page must not overflow the pixel
        // conversion; the visible part is still drawn.
        TravelTimeCurve c(QStringLiteral("iasp91"), QStringLiteral("P"));
        c.addTimeDistance(10, 0, 1);
        c.addTimeDistance(10, std::numeric_limits<qint64>::max() / 2, 1);
        const QImage image = render(c, 1.0, true);
        QVERIFY(qAlpha(image.pixel(50, 100)) != 0);
    }
};

QTEST_MAIN(TestTravelTimeCurve)
#include "test_traveltimecurve.moc"
