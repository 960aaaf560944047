#include "support/ScriptedPrompter.h"

Prompter::Answer ScriptedPrompter::show(QWidget*, const Message& message)
{
    shown.append(message);
    if (!script_.isEmpty())
        return script_.takeFirst();
    return message.defaultAnswer;
}

QStringList ScriptedPrompter::texts() const
{
    QStringList t;
    for (const Message& m : shown)
        t << m.text;
    return t;
}
