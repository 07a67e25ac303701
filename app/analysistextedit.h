#ifndef ANALYSISTEXTEDIT_H
#define ANALYSISTEXTEDIT_H

#include <QPlainTextEdit>

// The read-only pane below the canvas that collects pick lines, measurements
// and statistics. Copying hands a selection over as one tab-separated line,
// ready to paste into a spreadsheet row.
class AnalysisTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit AnalysisTextEdit(QWidget* parent = nullptr);

public Q_SLOTS:
    void copy();
};

#endif // ANALYSISTEXTEDIT_H
