#include "app/analysistextedit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>

AnalysisTextEdit::AnalysisTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
}

void AnalysisTextEdit::copy()
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    QString text = cursor.selectedText();
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    text = text.simplified();
    text.replace(QLatin1Char(' '), QLatin1Char('\t'));
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}
