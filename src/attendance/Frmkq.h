#pragma once
#include "attendance/AttendanceQuery.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTableView;
class AttendanceGridModel;

// "考勤汇总数据查询": the daily attendance rows, filtered by date range,
// card, name and department, sorted, corrected in place and printed.
// Opened modally by the main window.
class Frmkq : public QDialog {
    Q_OBJECT
public:
    explicit Frmkq(QWidget* parent = nullptr);
    ~Frmkq() override;

private:
    void query();
    void print();
    void showRows(const AttendanceQuery::Filter& f);

    QCheckBox* cck_[5] = {};   // 0 日期, 1 部门, 2 卡号, 4 姓名
    QDateEdit* t1s_ = nullptr;          // "日期" from
    QDateEdit* t1e_ = nullptr;          // "->" to
    QComboBox* cka_ = nullptr;          // "卡号"
    QComboBox* cna_ = nullptr;          // "姓名"
    QComboBox* cbm_ = nullptr;          // "部门"
    QComboBox* corder_ = nullptr;       // "排序方法"
    QPushButton* ccx_ = nullptr;        // "查  看"
    QPushButton* command2_ = nullptr;   // "打印报表"
    QPushButton* command1_ = nullptr;   // "退  出"
    QTableView* grid_ = nullptr;        // DBGrid1: the rows, corrected in place
    AttendanceGridModel* model_ = nullptr;
    AttendanceQuery::Statement querySql_;   // the last query shown; printing reads it again
};
