#pragma once
#include "admin/Purge.h"

#include <QDialog>

class QComboBox;
class QPushButton;

// Deletes the door-open records or the attendance rows of a chosen range
// of days.
class sjkwf2 : public QDialog {
    Q_OBJECT
public:
    explicit sjkwf2(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillDays(int table);
    void purge();

    QComboBox* Cdb = nullptr;
    QComboBox* Combo1 = nullptr;  // the first date of the range
    QComboBox* Combo2 = nullptr;  // the last date of the range
    QPushButton* Command1 = nullptr;  // "删除数据"
    QPushButton* Command2 = nullptr;  // "退出"
    bool placed_ = false;
};
