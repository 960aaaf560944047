#include "cards/CardListWidgets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

CardRunProgress::CardRunProgress(QWidget* parent)
    : QWidget(parent), text_(new QLabel(this)), stopButton_(new QPushButton(QStringLiteral("停止"), this))
{
    setObjectName(QStringLiteral("RunProgress"));
    text_->setObjectName(QStringLiteral("RunText"));
    stopButton_->setObjectName(QStringLiteral("CmdStop"));
    stopButton_->setAutoDefault(false);
    stopButton_->setEnabled(false);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(text_, 1);
    row->addWidget(stopButton_);
    connect(stopButton_, &QPushButton::clicked, this, [this] {
        stop_ = true;
        stopButton_->setEnabled(false);
        text_->setText(text_->text() + QStringLiteral("  正在停止…"));
    });
}

void CardRunProgress::begin(int total)
{
    total_ = total;
    stop_ = false;
    stopButton_->setEnabled(true);
    advance(0);
}

void CardRunProgress::advance(int done)
{
    text_->setText(QStringLiteral("第 %1 / %2 张").arg(done).arg(total_));
}

void CardRunProgress::finish()
{
    stopButton_->setEnabled(false);
    if (stop_)
        text_->setText(text_->text().remove(QStringLiteral("  正在停止…")) + QStringLiteral("  已停止"));
}

namespace CardListBoxes {

void editable(QComboBox* box, int maxDigits)
{
    box->setEditable(true);
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
    if (maxDigits > 0) {
        box->lineEdit()->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(maxDigits)), box->lineEdit()));
        box->setInputMethodHints(Qt::ImhDigitsOnly);
        box->lineEdit()->setInputMethodHints(Qt::ImhDigitsOnly);
    }
}

void onPick(QComboBox* box, const std::function<void()>& picked)
{
    QObject::connect(box, &QComboBox::activated, box, [box, picked] {
        QWidget* f = QApplication::focusWidget();
        const bool left = f && f != box && f != box->lineEdit() && f != box->view() && !box->view()->isAncestorOf(f);
        if (!left)
            picked();
    });
}

}  // namespace CardListBoxes
