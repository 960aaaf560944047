#include "admin/frmfkj.h"

#include "admin/ReaderSettings.h"
#include "db/DoorAddresses.h"
#include "session/Session.h"
#include "ui/BoxNames.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/TypedInput.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kAskForAddress = QStringLiteral("请输入一个发卡机地址（为0-99的整数）");

}  // namespace

frmfkj::frmfkj(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmfkj"));
    setWindowTitle(QStringLiteral("发卡机设置"));

    fkjaddr = new QComboBox(this);
    fkjaddr->setObjectName(QStringLiteral("fkjaddr"));
    TypedInput::digitsOnly(fkjaddr);
    fkjaddr->setMinimumWidth(100);
    Command1 = new QPushButton(QStringLiteral("确认(&O)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    // A click does not take the focus, so that pressing it with an empty
    // box gives the refusal once (from the click), not once more for
    // leaving the box.
    Command1->setFocusPolicy(Qt::TabFocus);

    auto* label = new QLabel(QStringLiteral("发卡机地址："), this);
    label->setBuddy(fkjaddr);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(fkjaddr, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addStretch();
    auto* main = new QVBoxLayout(this);
    main->addLayout(row);
    main->addSpacing(12);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetMinimumSize);

    // Digits only; Enter moves on; Backspace is not taken either. The
    // keys arrive at the combo box, which holds the focus, not at its
    // line edit.
    InputFilters::enterMovesOn(fkjaddr);
    InputFilters::backspaceDropped(fkjaddr);
    fkjaddr->installEventFilter(this);
    fkjaddr->lineEdit()->installEventFilter(this);
    BoxNames::fromLabels(this);

    fkjaddr->addItems(DoorAddresses::texts(Session::db()));
    fkjaddr->setCurrentIndex(fkjaddr->count() > 0 ? 0 : -1);
    if (fkjaddr->count() == 0)
        fkjaddr->setEditText(QString());

    connect(Command1, &QPushButton::clicked, this, &frmfkj::store);
}

bool frmfkj::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == fkjaddr || watched == fkjaddr->lineEdit()) && event->type() == QEvent::FocusOut && !refusing_ &&
        !fkjaddr->hasFocus()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Only the operator moving on within the window counts as leaving
        // the box, not the window losing the focus or closing.
        const bool movedOn = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                             reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        if (movedOn && isVisible() && fkjaddr->currentText().isEmpty())
            refuse();
    }
    return QDialog::eventFilter(watched, event);
}

void frmfkj::refuse()
{
    refusing_ = true;
    QApplication::beep();
    Prompt::inform(this, kAskForAddress);
    fkjaddr->setFocus();
    refusing_ = false;
}

void frmfkj::store()
{
    qint16 address = 0;
    if (ReaderSettings::check(fkjaddr->currentText(), &address) != ReaderSettings::Check::Ok) {
        refuse();
        return;
    }
    const SettingsWrite w = ReaderSettings::save(Session::db(), address);
    if (!w.ok) {
        Prompt::exclaim(this, QStringLiteral("设置没有保存：") + w.error);
        return;
    }
    Prompt::inform(this, QStringLiteral("发卡机设置成功！"));
    accept();
}
