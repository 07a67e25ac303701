#ifndef TIMERULER_H
#define TIMERULER_H

#include <QWidget>

class QScrollBar;
struct TickMarks;

enum TickDirection : int { TicksFromTop = 0, TicksFromBottom = 1 };

// The time axis above or below the visible part of the canvas. It holds no
// ticks of its own: it draws the scroll area's shared time ticks, shifted by
// the horizontal scroll position.
class TimeRuler : public QWidget
{
    Q_OBJECT

public:
    explicit TimeRuler(QWidget* parent = nullptr);

    void setTickDirection(TickDirection direction) { tickDirection_ = direction; }
    TickDirection tickDirection() const { return tickDirection_; }
    void setTickMarks(const TickMarks* tickMarks);
    void setScrollBar(QScrollBar* scrollBar) { scrollBar_ = scrollBar; }

public Q_SLOTS:
    void setLength(int length);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TickDirection tickDirection_ = TicksFromTop;
    const TickMarks* tickMarks_ = nullptr;
    bool tickMarksSet_ = false;
    QScrollBar* scrollBar_ = nullptr;
};

#endif // TIMERULER_H
