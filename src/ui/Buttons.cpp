#include "ui/Buttons.h"

#include <QPushButton>
#include <QRect>

namespace Buttons {

QPushButton* make(QWidget* parent, const QString& name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QPushButton* make(QWidget* parent, const QString& name, const QString& text, const QRect& at)
{
    QPushButton* b = make(parent, name, text);
    b->setGeometry(at);
    return b;
}

}  // namespace Buttons
