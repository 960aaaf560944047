#include "db/StoredText.h"

namespace StoredText {

namespace {

bool isDirectionControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

bool fits(const QString& text)
{
    if (text.size() > kLength)
        return false;
    for (QChar c : text) {
        const QChar::Category kind = c.category();
        if (kind == QChar::Other_Control || kind == QChar::Separator_Line || kind == QChar::Separator_Paragraph ||
            isDirectionControl(c.unicode()))
            return false;
    }
    return true;
}

QString refusal()
{
    return QStringLiteral("文字最多255个字，且不能含控制字符，修改没有保存。");
}

}  // namespace StoredText
