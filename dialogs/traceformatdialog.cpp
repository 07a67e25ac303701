#include "dialogs/traceformatdialog.h"

#include "ui_traceformatdialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

// Combo entries past the eight palette colours.
const int CustomColorIndex = 8;
const int CycleColorsIndex = 10;

} // namespace

TraceFormatDialog::TraceFormatDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::TraceFormatDialog), color_(QStringLiteral("black"))
{
    ui->setupUi(this);
    // Palette, combo entries and cycle boxes share one order.
    for (const char* name : {"black", "crimson", "forestgreen", "royalblue", "violet", "darkturquoise",
                             "darkorange", "darkviolet"})
        palette_.append(QColor(QString::fromLatin1(name)));
    cycleBoxes_ = {ui->blackCheckBox, ui->redCheckBox,  ui->greenCheckBox,  ui->blueCheckBox,
                   ui->magentaCheckBox, ui->cyanCheckBox, ui->orangeCheckBox, ui->purpleCheckBox};
    ui->cycleColorBox->hide();
    ui->greenCheckBox->setChecked(true);
    ui->blueCheckBox->setChecked(true);
    buildColorCycleList();
}

TraceFormatDialog::~TraceFormatDialog()
{
    delete ui;
}

void TraceFormatDialog::setMultipleSelection()
{
    setWindowTitle(QStringLiteral("Format Traces"));
    ui->colorComboBox->addItem(QStringLiteral("Cycle Colors..."));
    ui->colorComboBox->insertSeparator(CustomColorIndex + 1);
}

void TraceFormatDialog::placeAt(const QPoint& screenPosition)
{
    adjustSize();
    QScreen* screen = QGuiApplication::screenAt(screenPosition);
    if (!screen && parentWidget())
        screen = parentWidget()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        move(screenPosition);
        return;
    }
    const QRect area = screen->availableGeometry();
    // The frame is not known before the dialog is first shown; the margins of
    // an already framed dialog are kept inside as well.
    const QRect frame = frameGeometry();
    const QSize outer(std::max(frame.width(), width()), std::max(frame.height(), height()));
    int x = std::min(screenPosition.x(), area.right() + 1 - outer.width());
    int y = std::min(screenPosition.y(), area.bottom() + 1 - outer.height());
    x = std::max(x, area.left());
    y = std::max(y, area.top());
    move(x, y);
}

QColor TraceFormatDialog::getColorCycle(int i) const
{
    if (colorCycle_.isEmpty())
        return color_;
    const int n = colorCycle_.size();
    // A negative count still lands on an entry.
    const int k = ((i % n) + n) % n;
    return colorCycle_.at(k);
}

double TraceFormatDialog::getStrokeWeight() const
{
    return ui->strokeWeightSpinBox->value();
}

void TraceFormatDialog::buildColorCycleList()
{
    colorCycle_.clear();
    for (int i = 0; i < cycleBoxes_.size(); ++i) {
        if (cycleBoxes_.at(i)->isChecked())
            colorCycle_.append(palette_.at(i));
    }
    updateOkButton();
}

void TraceFormatDialog::accept()
{
    if (!acceptable())
        return;
    QDialog::accept();
}

void TraceFormatDialog::updateOkButton()
{
    if (QPushButton* ok = ui->buttonBox->button(QDialogButtonBox::Ok))
        ok->setEnabled(acceptable());
}

void TraceFormatDialog::on_colorComboBox_currentIndexChanged(int index)
{
    if (index >= 0 && index < palette_.size()) {
        color_ = palette_.at(index);
        cycleColors_ = false;
        ui->cycleColorBox->hide();
    } else if (index == CycleColorsIndex) {
        color_ = palette_.at(0);
        cycleColors_ = true;
        ui->cycleColorBox->show();
    } else if (index == CustomColorIndex) {
        const QColor chosen = QColorDialog::getColor(Qt::white, this);
        // A cancelled chooser returns an invalid colour, which would paint
        // the traces black; the colour chosen before stays instead.
        if (chosen.isValid())
            color_ = chosen;
        cycleColors_ = false;
        ui->cycleColorBox->hide();
    }
    updateOkButton();
}

void TraceFormatDialog::on_blackCheckBox_stateChanged(int)
{
    buildColorCycleList();
}

void TraceFormatDialog::on_redCheckBox_stateChanged(int)
{
    buildColorCycleList();
}

void TraceFormatDialog::on_greenCheckBox_stateChanged(int)
{
    buildColorCycleList();
}

void TraceFormatDialog::on_blueCheckBox_stateChanged(int)
{
    buildColorCycleList();
}

void TraceFormatDialog::on_magentaCheckBox_stateChanged(int)
{
    buildColorCycleList();
}

void TraceFormatDialog::on_cyanCheckBox_stateChanged(int)
{
    buildColorCycleList();
}

void TraceFormatDialog::on_orangeCheckBox_stateChanged(int)
{
    buildColorCycleList();
}

void TraceFormatDialog::on_purpleCheckBox_stateChanged(int)
{
    buildColorCycleList();
}
