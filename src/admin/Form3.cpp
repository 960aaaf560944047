#include "admin/Form3.h"

#include "ui/TypedInput.h"
#include "admin/Initialisation.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/Prompter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

Form3::Form3(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("数据库初始化"));

    Label1 = new QLabel(QStringLiteral("请输入公司名称："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    TypedInput::storedText(Text1);
    Label1->setBuddy(Text1);
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("退出"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);
    Pro = new QProgressBar(this);
    Pro->setObjectName(QStringLiteral("Pro"));
    Pro->setTextVisible(false);
    // Keeps its place while hidden, so the window does not jump.
    QSizePolicy keep = Pro->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Pro->setSizePolicy(keep);
    Pro->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Text1);
    layout->addSpacing(8);
    layout->addWidget(Pro);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(Command1, &QPushButton::clicked, this, &Form3::initialise);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

void Form3::initialise()
{
    if (!Prompt::confirm(this, QStringLiteral("此操作将初始化所有系统数据库,\n\n继续吗？"), QString(),
                         Prompter::Icon::Exclamation))
        return;
    Pro->setMaximum(Initialisation::kSteps);
    Pro->setValue(1);
    Pro->show();
    Initialisation::Outcome out;
    {
        BusyCursor busy;
        // The name is taken as typed, blanks and all.
        out = Initialisation::run(Session::db(), Text1->text(), [this](int step) {
            Pro->setValue(step);
            Pro->repaint();
        });
    }
    Pro->setValue(Initialisation::kSteps);
    Pro->hide();
    if (!out.ok)
        Prompt::exclaim(this, QStringLiteral("数据库初始化失败，数据没有任何改动。\n%1").arg(out.error));
}
