#include "dialogs/warningdialog.h"

#include "ui_warningdialog.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QPixmap>
#include <QStyle>

WarningDialog::WarningDialog(QWidget* parent) : QDialog(parent), ui(new Ui::WarningDialog)
{
    ui->setupUi(this);
    // The style's own icon matches the platform's message boxes better than
    // the picture in the form.
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this);
    QPixmap picture = icon.pixmap(side, side, QIcon::Normal, QIcon::Off);
    // An icon without a picture that large comes back smaller.
    if (!picture.isNull() && picture.size() != QSize(side, side))
        picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ui->warningIconLabel->setPixmap(picture);
}

WarningDialog::~WarningDialog()
{
    delete ui;
}

void WarningDialog::setWarningLabel(const QString& text)
{
    ui->warningLabel->setText(text);
}

void WarningDialog::setInformativeLabel(const QString& text)
{
    ui->informativeLabel->setText(text);
}

bool WarningDialog::dontShowAgain() const
{
    return ui->dontShowAgainCheckBox->isChecked();
}

void WarningDialog::hideCancelButton()
{
    ui->buttonBox->setStandardButtons(QDialogButtonBox::Ok);
}
