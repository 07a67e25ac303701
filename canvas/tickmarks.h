#ifndef TICKMARKS_H
#define TICKMARKS_H

#include <QStringList>
#include <QVector>

// Tick and label positions along a ruler, in canvas pixels, with one text per
// label position. The builders (the scroll area for time, the canvas for the
// record-section axis) fill the lists; the rulers only read them.
struct TickMarks
{
    QVector<int> minorTickMarkLocations;
    QVector<int> majorTickMarkLocations;
    QVector<int> labelLocations;
    QStringList labelStrings;

    void clear()
    {
        minorTickMarkLocations.clear();
        majorTickMarkLocations.clear();
        labelLocations.clear();
        labelStrings.clear();
    }
};

#endif // TICKMARKS_H
