#pragma once
#include "link/LinePort.h"
#include "ui/LineDialog.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QRadioButton;

// 特殊情况处理: opens lock 1 or lock 2 of one controller from the desk. It
// opens modeless, once the special-operation check has passed.
class Frmspe : public LineDialog {
    Q_OBJECT
public:
    explicit Frmspe(QWidget* parent = nullptr);
    ~Frmspe() override;

private:
    void open();

    QComboBox* Cdoor = nullptr;
    QRadioButton* Option1[2] = {};  // "锁一", "锁二"
    QPushButton* Copen = nullptr;
    QPushButton* Command1 = nullptr;  // "退 出"
    LinePort* comm = nullptr;
};
