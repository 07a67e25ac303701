#include "dialogs/traceformatdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

QComboBox* combo(TraceFormatDialog& d)
{
    return d.findChild<QComboBox*>(QStringLiteral("colorComboBox"));
}

QCheckBox* box(TraceFormatDialog& d, const char* name)
{
    return d.findChild<QCheckBox*>(QString::fromLatin1(name));
}

QPushButton* okButton(TraceFormatDialog& d)
{
    return d.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok);
}

// Answers the next modal dialog from inside its event loop. The answer runs
// once the dialog is up; a second timer rejects anything still open so a
// failing test cannot hang.
void answerModal(const std::function<void(QWidget*)>& answer)
{
    auto* poll = new QTimer;
    auto* guard = new QTimer;
    guard->setSingleShot(true);
    QObject::connect(poll, &QTimer::timeout, [poll, guard, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        guard->stop();
        poll->deleteLater();
        guard->deleteLater();
        answer(modal);
    });
    QObject::connect(guard, &QTimer::timeout, [poll, guard] {
        poll->stop();
        poll->deleteLater();
        guard->deleteLater();
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    poll->start(10);
    guard->start(5000);
}

} // namespace

class TestTraceFormatDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleTraceAcceptedAtOnce()
    {
        TraceFormatDialog d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Format Trace"));
        QComboBox* c = combo(d);
        QCOMPARE(c->count(), 9);
        QCOMPARE(c->itemText(8), QStringLiteral("Custom...      "));
        QCOMPARE(c->findText(QStringLiteral("Cycle Colors...")), -1);
        answerModal([](QWidget* w) { qobject_cast<QDialog*>(w)->accept(); });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(d.getColor(), QColor(QStringLiteral("black")));
        QVERIFY(!d.cycleColors());
        QCOMPARE(d.getStrokeWeight(), 1.0);
    }

    void listedColoursAndStrokeWeight()
    {
        TraceFormatDialog d(nullptr);
        const char* names[] = {"black", "crimson", "forestgreen", "royalblue",
                               "violet", "darkturquoise", "darkorange", "darkviolet"};
        const char* items[] = {"Black", "Red", "Green", "Blue", "Magenta", "Cyan", "Orange", "Purple"};
        for (int i = 7; i >= 0; --i) {
            combo(d)->setCurrentIndex(i);
            QCOMPARE(combo(d)->itemText(i), QString::fromLatin1(items[i]));
            QCOMPARE(d.getColor(), QColor(QString::fromLatin1(names[i])));
        }
        auto* spin = d.findChild<QDoubleSpinBox*>(QStringLiteral("strokeWeightSpinBox"));
        QCOMPARE(spin->decimals(), 1);
        QCOMPARE(spin->minimum(), 0.0);
        QCOMPARE(spin->maximum(), 10.0);
        spin->stepUp();
        QCOMPARE(d.getStrokeWeight(), 1.5);
        spin->setValue(12.0);
        QCOMPARE(d.getStrokeWeight(), 10.0);
    }

    void cycleFollowsPaletteOrder()
    {
        TraceFormatDialog d(nullptr);
        d.setMultipleSelection();
        QCOMPARE(d.windowTitle(), QStringLiteral("Format Traces"));
        QComboBox* c = combo(d);
        QCOMPARE(c->count(), 11);
        QCOMPARE(c->itemText(10), QStringLiteral("Cycle Colors..."));
        QVERIFY(c->itemText(9).isEmpty());
        auto* group = d.findChild<QGroupBox*>(QStringLiteral("cycleColorBox"));
        QVERIFY(group->isHidden());

        c->setCurrentIndex(10);
        QVERIFY(d.cycleColors());
        QVERIFY(!group->isHidden());
        QCOMPARE(d.getColor(), QColor(QStringLiteral("black")));
        QCOMPARE(d.getColorCycle(0), QColor(QStringLiteral("forestgreen")));
        QCOMPARE(d.getColorCycle(1), QColor(QStringLiteral("royalblue")));
        QCOMPARE(d.getColorCycle(2), QColor(QStringLiteral("forestgreen")));

        // Ticked after the others, red still comes first.
        box(d, "redCheckBox")->setChecked(true);
        QCOMPARE(d.getColorCycle(0), QColor(QStringLiteral("crimson")));
        QCOMPARE(d.getColorCycle(1), QColor(QStringLiteral("forestgreen")));
        QCOMPARE(d.getColorCycle(2), QColor(QStringLiteral("royalblue")));
        QCOMPARE(d.getColorCycle(3), QColor(QStringLiteral("crimson")));

        // Leaving the cycle for a listed colour.
        c->setCurrentIndex(6);
        QVERIFY(!d.cycleColors());
        QVERIFY(group->isHidden());
        QCOMPARE(d.getColor(), QColor(QStringLiteral("darkorange")));
    }

    void emptyCycleCannotBeAccepted()
    {
        TraceFormatDialog d(nullptr);
        d.setMultipleSelection();
        combo(d)->setCurrentIndex(10);
        box(d, "greenCheckBox")->setChecked(false);
        box(d, "blueCheckBox")->setChecked(false);
        QVERIFY(!okButton(d)->isEnabled());
        // Asking anyway never divides by the empty cycle.
        QCOMPARE(d.getColorCycle(5), QColor(QStringLiteral("black")));

        bool refused = false;
        answerModal([&refused](QWidget* w) {
            auto* dialog = qobject_cast<TraceFormatDialog*>(w);
            dialog->accept();
            refused = dialog->isVisible();
            dialog->findChild<QCheckBox*>(QStringLiteral("purpleCheckBox"))->setChecked(true);
            dialog->accept();
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QVERIFY(refused);
        QVERIFY(d.cycleColors());
        QCOMPARE(d.getColorCycle(7), QColor(QStringLiteral("darkviolet")));

        // A single colour needs no cycle, so OK comes back with it.
        TraceFormatDialog e(nullptr);
        e.setMultipleSelection();
        combo(e)->setCurrentIndex(10);
        box(e, "greenCheckBox")->setChecked(false);
        box(e, "blueCheckBox")->setChecked(false);
        combo(e)->setCurrentIndex(1);
        QVERIFY(okButton(e)->isEnabled());
    }

    void customColourChosenOrCancelled()
    {
        TraceFormatDialog d(nullptr);
        d.setMultipleSelection();
        combo(d)->setCurrentIndex(10);
        QCOMPARE(d.cycleColors(), true);
        QColor initial;
        answerModal([&initial](QWidget* w) {
            auto* chooser = qobject_cast<QColorDialog*>(w);
            QVERIFY(chooser);
            initial = chooser->currentColor();
            chooser->setCurrentColor(QColor(12, 34, 56));
            chooser->accept();
        });
        combo(d)->setCurrentIndex(8);
        QCOMPARE(initial, QColor(Qt::white));
        QCOMPARE(d.getColor(), QColor(12, 34, 56));
        QVERIFY(!d.cycleColors());

        // Cancelling the chooser keeps the colour chosen before.
        combo(d)->setCurrentIndex(3);
        answerModal([](QWidget* w) {
            auto* chooser = qobject_cast<QColorDialog*>(w);
            QVERIFY(chooser);
            chooser->setCurrentColor(QColor(200, 100, 0));
            chooser->reject();
        });
        combo(d)->setCurrentIndex(8);
        QVERIFY(d.getColor().isValid());
        QCOMPARE(d.getColor(), QColor(QStringLiteral("royalblue")));
    }

    void placedInsideTheScreen()
    {
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QRect area = screen->availableGeometry();
        TraceFormatDialog d(nullptr);

        const QPoint inside = area.topLeft() + QPoint(20, 30);
        d.placeAt(inside);
        QCOMPARE(d.pos(), inside);

        // A point far beyond the screen, as a canvas-local point of a large
        // zoomed canvas would be, still leaves the whole dialog visible.
        d.placeAt(area.bottomRight() + QPoint(5000, 3000));
        QVERIFY(area.contains(d.geometry()));
        d.placeAt(QPoint(-4000, -4000));
        QCOMPARE(d.pos(), area.topLeft());

        answerModal([&area](QWidget* w) {
            QVERIFY(area.contains(w->frameGeometry().topLeft()));
            qobject_cast<QDialog*>(w)->reject();
        });
        d.placeAt(area.bottomRight());
        QCOMPARE(d.exec(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestTraceFormatDialog)
#include "test_traceformatdialog.moc"
