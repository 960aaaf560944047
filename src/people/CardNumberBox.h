#pragma once
#include <QSqlDatabase>

class QComboBox;
class QObject;
class QSqlQueryModel;

// Card-number combo boxes over a people table of any size: the drop-down
// list reads the card numbers a screenful at a time as it scrolls. What is
// typed stays as typed; the box never completes it.
namespace CardNumberBox {

// A model of every distinct card number that loads lazily; several boxes
// may share it.
QSqlQueryModel* allCardNumbers(QSqlDatabase db, QObject* parent);

// Makes `box` editable and list `model`. The box starts with no entry
// chosen and an empty text.
void attach(QComboBox* box, QSqlQueryModel* model);

}  // namespace CardNumberBox
