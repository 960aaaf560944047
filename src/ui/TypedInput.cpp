#include "ui/TypedInput.h"

#include "db/Clock.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QValidator>

namespace {

// Keeps the digits of whatever arrives rather than refusing the whole
// change, so a pasted "卡号: 001234" gives 001234 instead of nothing.
class DigitsValidator : public QValidator {
public:
    DigitsValidator(int maxDigits, QObject* parent) : QValidator(parent), max_(maxDigits) {}

    State validate(QString& text, int& pos) const override
    {
        QString kept;
        kept.reserve(text.size());
        int keptBeforeCursor = 0;
        for (int i = 0; i < text.size(); ++i) {
            QChar c = text.at(i);
            if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
                c = QChar(u'0' + (c.unicode() - 0xFF10));
            if (c < u'0' || c > u'9')
                continue;
            if (max_ > 0 && kept.size() >= max_)
                break;
            kept += c;
            if (i < pos)
                ++keptBeforeCursor;
        }
        text = kept;
        pos = keptBeforeCursor;
        return Acceptable;
    }

private:
    int max_;
};

void restrict(QLineEdit* box, int maxDigits)
{
    box->setValidator(new DigitsValidator(maxDigits, box));
    box->setInputMethodHints(box->inputMethodHints() | Qt::ImhDigitsOnly);
}

// Watches the picker's own line edit, where the clicks arrive, and the
// picker, where the keys arrive.
class SectionOnClick : public QObject {
public:
    explicit SectionOnClick(QDateTimeEdit* picker) : QObject(picker), picker_(picker) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // On release the picker has already put its caret, and so its
        // current part, where the click landed; a drag keeps its own
        // selection.
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            auto* edit = qobject_cast<QLineEdit*>(watched);
            if (showsNoDate())
                startFromToday();
            else if (edit && !edit->hasSelectedText())
                picker_->setSelectedSection(picker_->currentSection());
        } else if (event->type() == QEvent::KeyPress && watched == picker_ && showsNoDate()) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text.at(0).isDigit())
                startFromToday();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // A picker whose lowest date stands for "no date" shows a blank text
    // with no parts to type into.
    bool showsNoDate() const
    {
        return !picker_->specialValueText().isEmpty() && (picker_->displayedSections() & QDateTimeEdit::YearSection) &&
               picker_->date() == picker_->minimumDate();
    }
    // Typing then overwrites today's date from its first part.
    void startFromToday()
    {
        picker_->setDate(Clock::today());
        picker_->setSelectedSection(picker_->sectionAt(0));
    }

    QDateTimeEdit* picker_;
};

}  // namespace

namespace TypedInput {

void typedOnly(QComboBox* box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    // Qt takes an edit that ends (focus leaving, Enter) on an entry's exact
    // text as a pick of that entry and emits activated(): typing "12" and
    // clicking a button would then reload controller 12 over the boxes the
    // operator filled in. Only a pick from the list is a pick.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
}

void digitsOnly(QLineEdit* box, int maxDigits)
{
    restrict(box, maxDigits);
}

void digitsOnly(QComboBox* box, int maxDigits)
{
    typedOnly(box);
    restrict(box->lineEdit(), maxDigits);
    // The combo box holds the focus and answers the input method for its
    // line edit.
    box->setInputMethodHints(box->inputMethodHints() | Qt::ImhDigitsOnly);
}

void clickSelectsSection(QDateTimeEdit* picker)
{
    auto* filter = new SectionOnClick(picker);
    picker->installEventFilter(filter);
    if (auto* edit = picker->findChild<QLineEdit*>())
        edit->installEventFilter(filter);
}

}  // namespace TypedInput
