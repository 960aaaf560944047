#include "attendance/RtfWriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace RtfWriter {

namespace {

void appendText(QByteArray& out, const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator || u == '\n') {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x7f) {
            out += char(u);
        } else if (u < 0x20) {
            continue;   // other control characters have no place in the text
        } else {
            // A signed 16-bit value, then the one-character fallback of \uc1;
            // characters beyond the basic plane go as their two halves.
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
}

}  // namespace

QByteArray fromDocument(const QTextDocument& document)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n"
                     "\\viewkind4\\pard\\f0\\fs21 ";
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            out += "\\par\r\n";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid())
                continue;
            const QTextCharFormat fmt = f.charFormat();
            QByteArray marks;
            if (fmt.fontWeight() >= QFont::Bold)
                marks += "\\b";
            if (fmt.fontItalic())
                marks += "\\i";
            if (fmt.fontUnderline())
                marks += "\\ul";
            if (!marks.isEmpty())
                out += '{' + marks + ' ';
            appendText(out, f.text());
            if (!marks.isEmpty())
                out += '}';
        }
    }
    out += "\\par\r\n}\r\n";
    return out;
}

}  // namespace RtfWriter
