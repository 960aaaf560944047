#include "ui/DateTimeBoxes.h"

#include "ui/Prompter.h"
#include "ui/TypedInput.h"

#include <QAccessible>
#include <QApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimeEdit>

#include <optional>

namespace {

// One part of a shown date or time: where it stands and what it holds.
struct Part {
    QChar kind;      // the format letter: y M d H h m s
    int width = 2;   // the most digits it takes
    int least = 2;   // the digits that make it whole ("H" is whole at one)
    int start = 0;
    int length = 0;
    int value = 0;
};

// The parts of `text` laid out as `format`, or nothing when a part holds
// anything but digits or too many of them, or a separator differs.
std::optional<QList<Part>> partsOf(const QString& format, const QString& text)
{
    QList<Part> parts;
    int t = 0;
    for (int f = 0; f < format.size();) {
        const QChar c = format.at(f);
        int n = 1;
        while (f + n < format.size() && format.at(f + n) == c)
            ++n;
        f += n;
        if (QStringLiteral("yMdHhms").contains(c)) {
            Part p;
            p.kind = c;
            p.width = c == u'y' ? 4 : 2;
            p.least = n == 1 ? 1 : p.width;
            p.start = t;
            while (t < text.size() && text.at(t).isDigit() && p.length < p.width) {
                ++t;
                ++p.length;
            }
            p.value = text.mid(p.start, p.length).toInt();
            parts << p;
            continue;
        }
        for (int i = 0; i < n; ++i, ++t)
            if (t >= text.size() || text.at(t) != c)
                return std::nullopt;
    }
    if (t != text.size())
        return std::nullopt;
    return parts;
}

// What the parts name; a part not typed yet takes a harmless stand-in.
struct Named {
    QDate date;
    QTime time;
};

Named named(const QList<Part>& parts)
{
    int y = 2000, mo = 1, d = 1, h = 0, mi = 0, s = 0;
    for (const Part& p : parts) {
        if (p.length == 0)
            continue;
        switch (p.kind.unicode()) {
        case 'y': y = p.value; break;
        case 'M': mo = p.value; break;
        case 'd': d = p.value; break;
        case 'm': mi = p.value; break;
        case 's': s = p.value; break;
        default: h = p.value; break;
        }
    }
    return {QDate(y, mo, d), QTime(h, mi, s)};
}

bool possible(const QDateTimeEdit* picker, const QList<Part>& parts)
{
    const Named n = named(parts);
    const auto shown = picker->displayedSections();
    return (!(shown & QDateTimeEdit::DateSections_Mask) || n.date.isValid()) &&
           (!(shown & QDateTimeEdit::TimeSections_Mask) || n.time.isValid());
}

bool whole(const QList<Part>& parts)
{
    for (const Part& p : parts)
        if (p.length < p.least)
            return false;
    return true;
}

template <class Picker>
class TypedPicker final : public Picker {
public:
    explicit TypedPicker(QWidget* parent) : Picker(parent)
    {
        QLineEdit* edit = this->lineEdit();
        QObject::connect(edit, &QLineEdit::inputRejected, this, [] { QApplication::beep(); });
        // The picker reads its text back into its last value whenever the
        // caret enters another part: an impossible text then vanishes.
        QObject::disconnect(edit, SIGNAL(cursorPositionChanged(int,int)), this,
                            SLOT(_q_editorCursorPositionChanged(int,int)));
        QObject::connect(edit, &QLineEdit::cursorPositionChanged, this, [this](int from, int to) {
            if (!restoring_)
                keepingTyped([&] {
                    QMetaObject::invokeMethod(this, "_q_editorCursorPositionChanged", Q_ARG(int, from), Q_ARG(int, to));
                });
        });
    }

protected:
    QValidator::State validate(QString& text, int& pos) const override
    {
        const std::optional<QList<Part>> parts = partsOf(this->displayFormat(), text);
        if (!parts)
            return Picker::validate(text, pos);
        // Until every part is whole and names a real value, the text is
        // kept as typed and the value waits: nothing pads, clamps or
        // moves a digit on.
        if (!possible(this, *parts) || !whole(*parts))
            return QValidator::Intermediate;
        QString copy = text;
        int at = pos;
        const QValidator::State s = Picker::validate(copy, at);
        return s == QValidator::Acceptable && copy == text ? s : QValidator::Intermediate;
    }

    void fixup(QString& text) const override
    {
        const std::optional<QList<Part>> parts = partsOf(this->displayFormat(), text);
        if (!parts || possible(this, *parts))
            Picker::fixup(text);
    }

    bool event(QEvent* e) override
    {
        // The arrow keys, the wheel and the arrow buttons (a press, then
        // the timer that repeats it) step the value, as they always did.
        const QEvent::Type type = e->type();
        if (type == QEvent::Wheel || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
            type == QEvent::Timer || (type == QEvent::KeyPress && edits(static_cast<QKeyEvent*>(e)))) {
            const int typedAt = partAt(this->lineEdit()->hasSelectedText() ? this->lineEdit()->selectionStart()
                                                                           : this->lineEdit()->cursorPosition());
            const bool done = Picker::event(e);
            const QString key = type == QEvent::KeyPress ? static_cast<QKeyEvent*>(e)->text() : QString();
            if (typedAt >= 0 && key.size() == 1 && key.at(0).isDigit())
                moveOnFromWholePart(typedAt);
            return done;
        }
        // Leaving the picker, Enter and Tab each read the text
        // back into the value; what they may change is its padding only.
        bool done = false;
        keepingTyped([&] { done = Picker::event(e); });
        return done;
    }

private:
    std::optional<QList<int>> numbers(const QString& text) const
    {
        const std::optional<QList<Part>> parts = partsOf(this->displayFormat(), text);
        if (!parts)
            return std::nullopt;
        QList<int> n;
        for (const Part& p : *parts)
            n << (p.length ? p.value : -1);
        return n;
    }

    static bool edits(const QKeyEvent* key)
    {
        const int k = key->key();
        if (key->text().size() == 1 && key->text().at(0).isPrint())
            return true;
        return k == Qt::Key_Backspace || k == Qt::Key_Delete || k == Qt::Key_Up || k == Qt::Key_Down ||
               k == Qt::Key_PageUp || k == Qt::Key_PageDown || key->matches(QKeySequence::Paste) ||
               key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Undo) ||
               key->matches(QKeySequence::Redo);
    }

    template <typename Step>
    void keepingTyped(Step&& step)
    {
        QLineEdit* edit = this->lineEdit();
        const QString before = edit->text();
        const int at = edit->cursorPosition(), from = edit->selectionStart(), length = edit->selectionLength();
        step();
        const std::optional<QList<int>> typed = numbers(before);
        if (edit->text() == before || !typed || *typed == numbers(edit->text()))
            return;
        restoring_ = true;
        edit->setText(before);
        if (length > 0)
            edit->setSelection(from, length);
        else
            edit->setCursorPosition(at);
        restoring_ = false;
    }

    int partAt(int at) const
    {
        const std::optional<QList<Part>> parts = partsOf(this->displayFormat(), this->lineEdit()->text());
        for (int i = 0; parts && i < parts->size(); ++i)
            if (at >= parts->at(i).start && at <= parts->at(i).start + parts->at(i).length)
                return i;
        return -1;
    }

    // Qt moves on only after a possible value; a part typed whole that
    // makes the value impossible moves on too, so the next digits go where
    // the operator means them.
    void moveOnFromWholePart(int typed)
    {
        QLineEdit* edit = this->lineEdit();
        const std::optional<QList<Part>> parts = partsOf(this->displayFormat(), edit->text());
        if (!parts || possible(this, *parts) || typed + 1 >= parts->size() || parts->at(typed).length < parts->at(typed).width)
            return;
        this->setCurrentSectionIndex(typed + 1);
        // Qt's own idea of where the parts stand may be astray now: it is
        // not asked again, lest it put the caret elsewhere.
        restoring_ = true;
        edit->setSelection(parts->at(typed + 1).start, parts->at(typed + 1).length);
        restoring_ = false;
    }

    bool restoring_ = false;
};

bool blankNoDate(const QDateTimeEdit* picker)
{
    return !picker->specialValueText().isEmpty() && picker->text() == picker->specialValueText() &&
           picker->date() == picker->minimumDate();
}

}  // namespace

namespace DateTimeBoxes {

QDateEdit* date(QWidget* parent)
{
    auto* picker = new TypedPicker<QDateEdit>(parent);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
    TypedInput::clickSelectsSection(picker);
    return picker;
}

QTimeEdit* time(QWidget* parent, const QString& format)
{
    auto* picker = new TypedPicker<QTimeEdit>(parent);
    picker->setDisplayFormat(format);
    TypedInput::clickSelectsSection(picker);
    return picker;
}

bool holdsItsText(QDateTimeEdit* picker)
{
    if (blankNoDate(picker))
        return true;
    auto parts = partsOf(picker->displayFormat(), picker->text());
    if (!parts || !possible(picker, *parts))
        return false;
    for (const Part& p : *parts)
        if (p.length == 0)
            return false;
    // A part left half-typed is padded as the picker does on leaving.
    if (!whole(*parts)) {
        picker->interpretText();
        parts = partsOf(picker->displayFormat(), picker->text());
        if (!parts)
            return false;
    }
    const Named n = named(*parts);
    const auto shown = picker->displayedSections();
    if ((shown & QDateTimeEdit::DateSections_Mask) && n.date != picker->date())
        return false;
    const QTime t = picker->time();
    return !(shown & QDateTimeEdit::TimeSections_Mask) ||
           (n.time.isValid() && QTime(t.hour(), t.minute(), t.second()) == n.time);
}

bool refused(QWidget* scope)
{
    QList<QDateTimeEdit*> pickers = scope->findChildren<QDateTimeEdit*>();
    if (auto* self = qobject_cast<QDateTimeEdit*>(scope))
        pickers.prepend(self);
    for (QDateTimeEdit* picker : pickers) {
        if (holdsItsText(picker))
            continue;
        const bool date = picker->displayedSections() & QDateTimeEdit::DateSections_Mask;
        // The name a screen reader reads: its own, else its label's.
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(picker);
        QString name = reader ? reader->text(QAccessible::Name) : picker->accessibleName();
        while (name.endsWith(u'：') || name.endsWith(u':'))
            name.chop(1);
        Prompt::exclaim(scope->window(), QStringLiteral("“%1”里的%2不存在，请重新输入！")
                                             .arg(name, date ? QStringLiteral("日期") : QStringLiteral("时间")));
        picker->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

bool selectPartAtCaret(QDateTimeEdit* picker)
{
    auto* edit = picker->findChild<QLineEdit*>();
    const std::optional<QList<Part>> parts = edit ? partsOf(picker->displayFormat(), edit->text()) : std::nullopt;
    if (!parts)
        return false;
    const int at = edit->cursorPosition();
    for (int i = parts->size() - 1; i >= 0; --i) {
        const Part& p = parts->at(i);
        if (at >= p.start) {
            picker->setCurrentSectionIndex(i);
            edit->setSelection(p.start, p.length);
            return true;
        }
    }
    return false;
}

}  // namespace DateTimeBoxes
