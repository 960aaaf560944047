#include "cards/CardListWidgets.h"

#include "cards/CardLists.h"
#include "db/Clock.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QTimeEdit>

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

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
    text_->setText(QStringLiteral("第 0 / %1 张").arg(total_));
}

bool CardRunProgress::advance(int done)
{
    text_->setText(QStringLiteral("第 %1 / %2 张").arg(done).arg(total_));
    QCoreApplication::processEvents();
    return !stop_;
}

void CardRunProgress::exchanging(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CardRunProgress::finish()
{
    stopButton_->setEnabled(false);
    if (stop_)
        text_->setText(text_->text().remove(QStringLiteral("  正在停止…")) + QStringLiteral("  已停止"));
}

namespace CardListBoxes {

QList<int> selectedAddresses(const QListWidget* list)
{
    QList<int> out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected()) {
            if (const std::optional<int> a = CardLists::parseAddress(list->item(i)->text()))
                out.append(*a);
        }
    }
    return out;
}

void resetPickers(QDateEdit* const (&dates)[2], QComboBox* const (&weekdays)[2], QTimeEdit* const (&times)[2])
{
    const QDate today = Clock::today();
    for (int i = 0; i < 2; ++i) {
        dates[i]->setDate(today);
        weekdays[i]->setCurrentIndex(-1);
        times[i]->setTime(QTime(0, 0));
    }
}

}  // namespace CardListBoxes
