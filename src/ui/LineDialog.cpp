#include "ui/LineDialog.h"

#include "link/LinePort.h"

#include <QCloseEvent>

LineDialog::LineDialog(QWidget* parent) : QDialog(parent), port_(new LinePort(this))
{
}

LineDialog::~LineDialog() = default;

void LineDialog::closeEvent(QCloseEvent* event)
{
    if (working()) {
        event->ignore();
        return;
    }
    port_->close();
    QDialog::closeEvent(event);
}

void LineDialog::reject()
{
    if (working())
        return;
    port_->close();
    QDialog::reject();
}
