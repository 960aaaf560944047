#include "ui/LineWords.h"

#include "link/PortName.h"

namespace LineWords {

bool heldByAnotherWindow(const LineParams& params)
{
    return LinePort::isHeld(PortName::device(params.portNo, params.programFolder));
}

QString held(const QString& plain)
{
    const QString said = plain.endsWith(QChar(0xFF01)) ? plain.chopped(1) : plain;
    return said + QStringLiteral("：串口正被本程序的其他窗口使用，请等那个窗口的通信结束或关闭它之后再试！");
}

QString portNotOpen(const LineParams& params, const QString& plain)
{
    return heldByAnotherWindow(params) ? held(plain) : plain;
}

}  // namespace LineWords
