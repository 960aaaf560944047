#pragma once
#include <QByteArray>

class QTextDocument;

// Rich text for a word processor: the paragraphs of a document with their
// bold, italic and underlined runs, every character outside ASCII written
// as a Unicode escape, so the file reads the same on any code page.
namespace RtfWriter {

QByteArray fromDocument(const QTextDocument& document);

}  // namespace RtfWriter
