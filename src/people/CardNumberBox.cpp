#include "people/CardNumberBox.h"

#include "people/Personnel.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QSqlQueryModel>
#include <QStringListModel>

namespace CardNumberBox {

QSqlQueryModel* allCardNumbers(QSqlDatabase db, QObject* parent)
{
    auto* model = new QSqlQueryModel(parent);
    model->setQuery(Personnel::cardNumberQuery(db));
    return model;
}

void attach(QComboBox* box, QSqlQueryModel* model, QSqlDatabase db)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(15);
    box->setModel(model);
    box->setCurrentIndex(-1);
    box->setEditText(QString());

    auto* matches = new QStringListModel(box);
    auto* completer = new QCompleter(matches, box);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseSensitive);
    completer->setMaxVisibleItems(12);
    box->setCompleter(completer);
    QObject::connect(box->lineEdit(), &QLineEdit::textEdited, box, [matches, completer, db](const QString& text) {
        const QString prefix = text.trimmed();
        matches->setStringList(prefix.isEmpty() ? QStringList() : Personnel::cardNumbersStartingWith(db, prefix));
        if (!prefix.isEmpty())
            completer->complete();
    });
}

}  // namespace CardNumberBox
