#include "ui/Prompter.h"

#include <QMessageBox>

namespace {

class MessageBoxPrompter : public Prompter {
public:
    Answer show(QWidget* parent, const Message& m) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(m.title.isEmpty() ? applicationTitle() : m.title);
        box.setText(m.text);
        switch (m.icon) {
        case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        }
        QMessageBox::StandardButtons buttons;
        switch (m.buttons) {
        case Buttons::Ok: buttons = QMessageBox::Ok; break;
        case Buttons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
        case Buttons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
        case Buttons::YesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
        case Buttons::AbortRetryIgnore:
            buttons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
            break;
        case Buttons::RetryCancel: buttons = QMessageBox::Retry | QMessageBox::Cancel; break;
        }
        box.setStandardButtons(buttons);
        box.setDefaultButton(toButton(m.defaultAnswer));
        return fromButton(static_cast<QMessageBox::StandardButton>(box.exec()));
    }

private:
    static QMessageBox::StandardButton toButton(Answer a)
    {
        switch (a) {
        case Answer::Ok: return QMessageBox::Ok;
        case Answer::Cancel: return QMessageBox::Cancel;
        case Answer::Yes: return QMessageBox::Yes;
        case Answer::No: return QMessageBox::No;
        case Answer::Abort: return QMessageBox::Abort;
        case Answer::Retry: return QMessageBox::Retry;
        case Answer::Ignore: return QMessageBox::Ignore;
        }
        return QMessageBox::NoButton;
    }
    static Answer fromButton(QMessageBox::StandardButton b)
    {
        switch (b) {
        case QMessageBox::Cancel: return Answer::Cancel;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Abort: return Answer::Abort;
        case QMessageBox::Retry: return Answer::Retry;
        case QMessageBox::Ignore: return Answer::Ignore;
        default: return Answer::Ok;
        }
    }
};

MessageBoxPrompter& messageBoxes()
{
    static MessageBoxPrompter p;
    return p;
}

Prompter* installed = nullptr;

}  // namespace

QString Prompter::applicationTitle()
{
    return QStringLiteral("门禁管理系统");
}

Prompter& Prompter::current()
{
    return installed ? *installed : static_cast<Prompter&>(messageBoxes());
}

void Prompter::install(Prompter* p)
{
    installed = p;
}

namespace Prompt {

void inform(QWidget* parent, const QString& text, Prompter::Icon icon, const QString& title)
{
    Prompter::current().show(parent, {text, title, icon, Prompter::Buttons::Ok, Prompter::Answer::Ok});
}

bool confirm(QWidget* parent, const QString& text, const QString& title, Prompter::Icon icon, bool defaultYes)
{
    return Prompter::current().show(parent, {text, title, icon, Prompter::Buttons::YesNo,
                                             defaultYes ? Prompter::Answer::Yes : Prompter::Answer::No}) ==
           Prompter::Answer::Yes;
}

Prompter::Answer ask(QWidget* parent, const QString& text, Prompter::Buttons buttons, Prompter::Icon icon,
                     const QString& title, Prompter::Answer defaultAnswer)
{
    return Prompter::current().show(parent, {text, title, icon, buttons, defaultAnswer});
}

}  // namespace Prompt
