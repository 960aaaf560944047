#pragma once
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Every message box and question of the program goes through the current
// Prompter. The program installs one that shows QMessageBox with the
// system's own texts; tests install one that records what was shown and
// answers from a script.
class Prompter {
public:
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

    struct Message {
        QString text;
        QString title;   // empty: the application title
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer defaultAnswer = Answer::Ok;
    };

    virtual ~Prompter() = default;
    virtual Answer show(QWidget* parent, const Message& message) = 0;

    // The title of boxes that name none of their own.
    static QString applicationTitle();

    static Prompter& current();
    // Installs `p` (not owned); nullptr puts the message-box prompter back.
    static void install(Prompter* p);
};

// Shorthands for the usual boxes.
namespace Prompt {

void inform(QWidget* parent, const QString& text, Prompter::Icon icon = Prompter::Icon::None,
            const QString& title = QString());
inline void exclaim(QWidget* parent, const QString& text, const QString& title = QString())
{
    inform(parent, text, Prompter::Icon::Exclamation, title);
}
// The one wording of a database statement that failed and changed
// nothing, with the database's own reason; exclamation icon.
inline QString databaseFailedText(const QString& error)
{
    return QStringLiteral("数据库操作失败，没有做任何更改：\n") + error;
}
inline void databaseFailed(QWidget* parent, const QString& error)
{
    exclaim(parent, databaseFailedText(error));
}
// The controllers a command over several of them did not go on to, once
// the database failed it; empty when there are none.
inline QString notAskedText(const QList<int>& addresses)
{
    QStringList names;
    for (int a : addresses)
        names << QString::number(a);
    return names.isEmpty() ? QString()
                           : QStringLiteral("\n数据库出错，操作已停止，%1 号门没有发送。").arg(names.join(QStringLiteral("、")));
}
// Yes/No question; true for Yes.
bool confirm(QWidget* parent, const QString& text, const QString& title = QString(),
             Prompter::Icon icon = Prompter::Icon::Question, bool defaultYes = true);
Prompter::Answer ask(QWidget* parent, const QString& text, Prompter::Buttons buttons,
                     Prompter::Icon icon = Prompter::Icon::Question, const QString& title = QString(),
                     Prompter::Answer defaultAnswer = Prompter::Answer::Yes);

}  // namespace Prompt
