#include "people/CardNumberBox.h"

#include "people/Personnel.h"
#include "ui/TypedInput.h"

#include <QComboBox>
#include <QSqlQueryModel>

namespace CardNumberBox {

QSqlQueryModel* allCardNumbers(QSqlDatabase db, QObject* parent)
{
    auto* model = new QSqlQueryModel(parent);
    model->setQuery(Personnel::cardNumberQuery(db));
    return model;
}

void attach(QComboBox* box, QSqlQueryModel* model)
{
    TypedInput::typedOnly(box);
    box->setMaxVisibleItems(15);
    box->setModel(model);
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

}  // namespace CardNumberBox
