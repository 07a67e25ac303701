#ifndef TRACEFORMATDIALOG_H
#define TRACEFORMATDIALOG_H

#include <QColor>
#include <QDialog>
#include <QList>
#include <QPoint>
#include <QVector>

class QCheckBox;

namespace Ui {
class TraceFormatDialog;
}

// Line colour and stroke weight for the selected traces. With several traces
// the colour may instead cycle through the ticked colours of a fixed palette.
// Made for one format command and deleted after it.
class TraceFormatDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TraceFormatDialog(QWidget* parent = nullptr);
    ~TraceFormatDialog() override;

    // Offers "Cycle Colors..." for a selection of several traces.
    void setMultipleSelection();
    // Puts the dialog's top-left corner at a screen position, pulled back
    // inside the available area of the screen holding that position so that
    // the modal dialog can always be reached.
    void placeAt(const QPoint& screenPosition);

    QColor getColor() const { return color_; }
    bool cycleColors() const { return cycleColors_; }
    // Entry i (from 0) of the ticked colours, repeating. With nothing ticked
    // the chosen colour stands in, although such a dialog cannot be accepted.
    QColor getColorCycle(int i) const;
    double getStrokeWeight() const;

    void buildColorCycleList();

public Q_SLOTS:
    // Refused while cycling is chosen with no colour ticked.
    void accept() override;

private Q_SLOTS:
    void on_colorComboBox_currentIndexChanged(int index);
    void on_blackCheckBox_stateChanged(int);
    void on_redCheckBox_stateChanged(int);
    void on_greenCheckBox_stateChanged(int);
    void on_blueCheckBox_stateChanged(int);
    void on_magentaCheckBox_stateChanged(int);
    void on_cyanCheckBox_stateChanged(int);
    void on_orangeCheckBox_stateChanged(int);
    void on_purpleCheckBox_stateChanged(int);

private:
    bool acceptable() const { return !cycleColors_ || !colorCycle_.isEmpty(); }
    void updateOkButton();

    Ui::TraceFormatDialog* ui;
    QColor color_;
    QVector<QColor> palette_;
    QVector<QCheckBox*> cycleBoxes_;
    QList<QColor> colorCycle_;
    bool cycleColors_ = false;
};

#endif // TRACEFORMATDIALOG_H
