#ifndef WARNINGDIALOG_H
#define WARNINGDIALOG_H

#include <QDialog>
#include <QString>

namespace Ui {
class WarningDialog;
}

// The one confirmation box of the program: a warning line, an informative
// text, a "Don't show this warning again" box and OK/Cancel. Each asking place
// keeps its own process-wide flag and clears it when the box comes back ticked.
class WarningDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WarningDialog(QWidget* parent = nullptr);
    ~WarningDialog() override;

    void setWarningLabel(const QString& text);
    void setInformativeLabel(const QString& text);
    bool dontShowAgain() const;
    void hideCancelButton();

private:
    Ui::WarningDialog* ui;
};

#endif // WARNINGDIALOG_H
