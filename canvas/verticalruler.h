#ifndef VERTICALRULER_H
#define VERTICALRULER_H

#include <QList>
#include <QWidget>

class QScrollBar;
class Trace;
struct TickMarks;

// The ruler left of the canvas. It shows the record-section value axis when
// the canvas's tick marks carry labels, and the trace labels of the
// seismogram list otherwise, so it follows the canvas's layout by itself.
class VerticalRuler : public QWidget
{
    Q_OBJECT

public:
    explicit VerticalRuler(QWidget* parent = nullptr);

    int adjustWidth();
    void setScrollBar(QScrollBar* scrollBar) { scrollBar_ = scrollBar; }
    void setTickMarks(const TickMarks* tickMarks) { tickMarks_ = tickMarks; }
    void setTraceList(const QList<Trace*>* traceList) { traceList_ = traceList; }

public Q_SLOTS:
    void setHeight(int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintTraceLabels(QPainter& painter, int lowest, int highest, int scroll);

    const QList<Trace*>* traceList_ = nullptr;
    const TickMarks* tickMarks_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
};

#endif // VERTICALRULER_H
