#pragma once
#include "ui/Prompter.h"

#include <QList>
#include <QStringList>

// Records every box the program shows and answers from a script. With the
// script empty, a box gets its default answer.
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter() { Prompter::install(this); }
    ~ScriptedPrompter() override { Prompter::install(nullptr); }

    Answer show(QWidget* parent, const Message& message) override;

    void answerNext(Answer a) { script_.append(a); }
    QList<Message> shown;
    QStringList texts() const;
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(); script_.clear(); }

private:
    QList<Answer> script_;
};
