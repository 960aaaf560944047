#include "db/NumberText.h"

#include <QRegularExpression>

namespace NumberText {

double leading(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch())
        return 0;
    return m.captured(0).toDouble();
}

}  // namespace NumberText
