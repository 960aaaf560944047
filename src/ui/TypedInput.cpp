#include "ui/TypedInput.h"

#include "db/Clock.h"
#include "ui/DateTimeBoxes.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QValidator>

namespace {

// Refuses a change whole rather than keeping part of it: a pasted
// "卡号: 001234" must not become the number 001234, nor "1234567" the
// card 123456.
class RefusingValidator : public QValidator {
public:
    enum Kind { AnyText, Digits, Decimal };
    RefusingValidator(Kind kind, int length, QObject* parent) : QValidator(parent), kind_(kind), length_(length) {}

    State validate(QString& text, int&) const override
    {
        if (length_ > 0 && text.size() > length_)
            return Invalid;
        if (kind_ == AnyText)
            return StoredText::fits(text) ? Acceptable : Invalid;
        bool point = false;
        for (QChar& c : text) {
            if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
                c = QChar(u'0' + (c.unicode() - 0xFF10));
            else if (kind_ == Decimal && c == u'.' && !point)
                point = true;
            else if (c < u'0' || c > u'9')
                return Invalid;
        }
        return Acceptable;
    }

private:
    Kind kind_;
    int length_;
};

void refuseWith(QLineEdit* box, RefusingValidator::Kind kind, int length)
{
    // The last rule given is the box's rule: digits replace the length
    // limit of a stored text box made by a shared helper.
    delete box->validator();
    box->setValidator(new RefusingValidator(kind, length, box));
    if (kind != RefusingValidator::AnyText)
        box->setInputMethodHints(box->inputMethodHints() |
                                 (kind == RefusingValidator::Digits ? Qt::ImhDigitsOnly : Qt::ImhFormattedNumbersOnly));
    QObject::connect(box, &QLineEdit::inputRejected, box, [] { QApplication::beep(); });
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
            else if (edit && !edit->hasSelectedText() && !DateTimeBoxes::selectPartAtCaret(picker_))
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

void digitsOnly(QLineEdit* box)
{
    refuseWith(box, RefusingValidator::Digits, 0);
}

void decimalOnly(QLineEdit* box)
{
    refuseWith(box, RefusingValidator::Decimal, 0);
}

void digitsOnly(QComboBox* box)
{
    typedOnly(box);
    refuseWith(box->lineEdit(), RefusingValidator::Digits, 0);
    // The combo box holds the focus and answers the input method for its
    // line edit.
    box->setInputMethodHints(box->inputMethodHints() | Qt::ImhDigitsOnly);
}

void atMost(QLineEdit* box, int length)
{
    refuseWith(box, RefusingValidator::AnyText, length);
}

void atMost(QComboBox* box, int length)
{
    typedOnly(box);
    refuseWith(box->lineEdit(), RefusingValidator::AnyText, length);
}

void storedText(QLineEdit* box)
{
    atMost(box, kStoredTextLength);
}

void storedText(QComboBox* box)
{
    atMost(box, kStoredTextLength);
}

void clickSelectsSection(QDateTimeEdit* picker)
{
    auto* filter = new SectionOnClick(picker);
    picker->installEventFilter(filter);
    if (auto* edit = picker->findChild<QLineEdit*>())
        edit->installEventFilter(filter);
}

}  // namespace TypedInput
