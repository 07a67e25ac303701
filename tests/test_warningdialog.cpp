#include "dialogs/warningdialog.h"

#include "support/canvasharness.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QtTest>

class TestWarningDialog : public QObject
{
    Q_OBJECT

private slots:
    void formAsBuilt();
    void answersAndTheDontShowAgainBox();
};

void TestWarningDialog::formAsBuilt()
{
    WarningDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString());
    QCOMPARE(dialog.size(), QSize(408, 116));
    auto* warning = dialog.findChild<QLabel*>(QStringLiteral("warningLabel"));
    auto* informative = dialog.findChild<QLabel*>(QStringLiteral("informativeLabel"));
    auto* icon = dialog.findChild<QLabel*>(QStringLiteral("warningIconLabel"));
    auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("dontShowAgainCheckBox"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(warning && informative && icon && box && buttons);
    QCOMPARE(warning->text(),
             QStringLiteral("<html><head/><body><p><span style=\" font-weight:600;\">Warning "
                            "label</span></p></body></html>"));
    QCOMPARE(informative->text(), QStringLiteral("Informative text."));
    QCOMPARE(box->text(), QStringLiteral("Don't show this warning again"));
    QVERIFY(!box->isChecked());
    QVERIFY(!dialog.dontShowAgain());
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    // The style's icon replaces the form's picture, square at the style's size.
    const int side = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    const QPixmap picture = icon->pixmap(Qt::ReturnByValue);
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), QSize(side, side));

    dialog.setWarningLabel(QStringLiteral("<b>Bold</b> words"));
    dialog.setInformativeLabel(QStringLiteral("Line one\nline two"));
    QCOMPARE(warning->text(), QStringLiteral("<b>Bold</b> words"));
    QCOMPARE(warning->textFormat(), Qt::AutoText);
    QCOMPARE(informative->text(), QStringLiteral("Line one\nline two"));

    dialog.hideCancelButton();
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok);
}

void TestWarningDialog::answersAndTheDontShowAgainBox()
{
    {
        WarningDialog dialog;
        whenModalAppears([](QWidget* w) {
            w->findChild<QCheckBox*>(QStringLiteral("dontShowAgainCheckBox"))->setChecked(true);
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(dialog.exec(), 1);
        QVERIFY(dialog.dontShowAgain());
    }
    {
        WarningDialog dialog;
        whenModalAppears([](QWidget* w) {
            w->findChild<QCheckBox*>(QStringLiteral("dontShowAgainCheckBox"))->setChecked(true);
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(dialog.exec(), 0);
        // The caller decides: a rejected answer leaves its flag alone.
        QVERIFY(dialog.dontShowAgain());
    }
    {
        WarningDialog dialog;
        whenModalAppears([](QWidget* w) { w->close(); });
        QCOMPARE(dialog.exec(), 0);
        QVERIFY(!dialog.dontShowAgain());
    }
}

QTEST_MAIN(TestWarningDialog)
#include "test_warningdialog.moc"
