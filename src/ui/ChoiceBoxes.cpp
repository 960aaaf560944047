#include "ui/ChoiceBoxes.h"

#include "ui/TypedInput.h"

#include "ui/InputFilters.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSqlQueryModel>

namespace {

class ChoiceBox : public QComboBox {
public:
    ChoiceBox(QWidget* parent, std::function<QSqlQuery()> choices)
        : QComboBox(parent), choices_(std::move(choices)), model_(new QSqlQueryModel(this))
    {
        TypedInput::typedOnly(this);
        setInsertPolicy(QComboBox::NoInsert);
        setMaxVisibleItems(15);
        setModel(model_);
    }

    void showPopup() override
    {
        load();
        QComboBox::showPopup();
    }

protected:
    void focusInEvent(QFocusEvent* e) override
    {
        load();
        QComboBox::focusInEvent(e);
    }

private:
    void load()
    {
        if (!choices_)
            return;
        // Filling the list must not change what the operator typed.
        const QString typed = currentText();
        model_->setQuery(choices_());
        choices_ = nullptr;
        setCurrentIndex(-1);
        setEditText(typed);
    }

    std::function<QSqlQuery()> choices_;
    QSqlQueryModel* model_;
};

}  // namespace

namespace ChoiceBoxes {

QComboBox* choices(QWidget* parent, const char* name, std::function<QSqlQuery()> choices)
{
    auto* box = new ChoiceBox(parent, std::move(choices));
    box->setObjectName(QString::fromLatin1(name));
    box->setCurrentIndex(-1);
    box->setEditText(QString());
    InputFilters::enterMovesOn(box->lineEdit());
    return box;
}

}  // namespace ChoiceBoxes
