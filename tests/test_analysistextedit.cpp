#include "app/analysistextedit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>
#include <QtTest>

class TestAnalysisTextEdit : public QObject
{
    Q_OBJECT

private slots:
    void readOnlyAndWritingAtTheCursor();
    void copyGivesOneTabSeparatedLine_data();
    void copyGivesOneTabSeparatedLine();
    void copyWithoutSelectionKeepsTheClipboard();
};

namespace {

void selectAll(AnalysisTextEdit& pane)
{
    QTextCursor cursor = pane.textCursor();
    cursor.select(QTextCursor::Document);
    pane.setTextCursor(cursor);
}

} // namespace

void TestAnalysisTextEdit::readOnlyAndWritingAtTheCursor()
{
    AnalysisTextEdit pane;
    QVERIFY(pane.isReadOnly());
    pane.insertPlainText(QStringLiteral("Analysis Output:\n"));
    pane.show();
    pane.setFocus();
    QTest::keyClicks(&pane, QStringLiteral("typed"));
    QCOMPARE(pane.toPlainText(), QStringLiteral("Analysis Output:\n"));

    pane.insertPlainText(QStringLiteral("ABC\tBHZ\tP\t2019/07/06\t03:20:12.345\tUTC\n"));
    QCOMPARE(pane.toPlainText(),
             QStringLiteral("Analysis Output:\nABC\tBHZ\tP\t2019/07/06\t03:20:12.345\tUTC\n"));
    // Insertion replaces the user's selection, as insertion at a cursor does.
    QTextCursor cursor = pane.textCursor();
    cursor.setPosition(0);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    pane.setTextCursor(cursor);
    pane.insertPlainText(QStringLiteral("Results"));
    QVERIFY(pane.toPlainText().startsWith(QStringLiteral("Results Output:\n")));
}

void TestAnalysisTextEdit::copyGivesOneTabSeparatedLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("copied");
    QTest::newRow("two lines") << QStringLiteral("one two three\nfour five")
                               << QStringLiteral("one\ttwo\tthree\tfour\tfive");
    QTest::newRow("runs of blanks and tabs")
        << QStringLiteral("  ABC \t\t 7   7\t\t7  \n") << QStringLiteral("ABC\t7\t7\t7");
    QTest::newRow("times stay whole") << QStringLiteral("ABC 12:00:01.5 UTC")
                                      << QStringLiteral("ABC\t12:00:01.5\tUTC");
    QTest::newRow("white space only") << QStringLiteral(" \t \n ") << QString();
}

void TestAnalysisTextEdit::copyGivesOneTabSeparatedLine()
{
    QFETCH(QString, text);
    QFETCH(QString, copied);
    AnalysisTextEdit pane;
    pane.insertPlainText(text);
    selectAll(pane);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    pane.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

void TestAnalysisTextEdit::copyWithoutSelectionKeepsTheClipboard()
{
    AnalysisTextEdit pane;
    pane.insertPlainText(QStringLiteral("some text"));
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    pane.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

QTEST_MAIN(TestAnalysisTextEdit)
#include "test_analysistextedit.moc"
