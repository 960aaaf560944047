#include "cards/CardQueryBoxes.h"

#include "ui/InputFilters.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSqlQueryModel>

namespace CardQueryBoxes {

QComboBox* choices(QWidget* parent, const char* name, QSqlQuery&& choices)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(15);
    auto* model = new QSqlQueryModel(box);
    model->setQuery(std::move(choices));
    box->setModel(model);
    box->setCompleter(nullptr);
    box->setCurrentIndex(-1);
    box->setEditText(QString());
    InputFilters::enterMovesOn(box->lineEdit());
    return box;
}

void digitsOnly(QComboBox* box, int digits)
{
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), box));
    box->setInputMethodHints(Qt::ImhDigitsOnly);
    box->lineEdit()->setInputMethodHints(Qt::ImhDigitsOnly);
}

}  // namespace CardQueryBoxes
