#pragma once
#include "records/RecordQuery.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class EditableGridModel;
class QTableView;
class QTimeEdit;

// 打卡数据查询: the door-open records with their holders, filtered by date,
// time of day, controller, card and name, in one of six orders, and the
// report of what is shown. The record's own cells may be corrected in the
// grid; the holder's name, department and position are read-only here.
class Frmque : public QDialog {
    Q_OBJECT
public:
    explicit Frmque(QWidget* parent = nullptr);
    ~Frmque() override;

private:
    void Ccx_Click();
    void Command2_Click();
    void run(const RecordFilter& filter);
    RecordQueryInput input() const;

    QCheckBox* Cck[5] = {};            // " 日  期", "地  址", "卡 号", " 时  间", "姓 名"
    QDateEdit* t1s = nullptr;          // the first day
    QDateEdit* t1e = nullptr;          // "->" the last day
    QTimeEdit* t2s = nullptr;          // the earliest time
    QTimeEdit* t2e = nullptr;          // "->" the latest time
    QComboBox* Cdoor = nullptr;        // "地  址"
    QComboBox* Cka = nullptr;          // "卡 号"
    QComboBox* Cna = nullptr;          // "姓 名"
    QComboBox* Corder = nullptr;       // "排序方法"
    QPushButton* Ccx = nullptr;        // "查  看"
    QPushButton* Command2 = nullptr;   // "打印报表"
    QPushButton* Command1 = nullptr;   // "退  出"
    QTableView* DBGrid1 = nullptr;     // the records, corrected in place
    EditableGridModel* Data2 = nullptr;
    // The query the grid shows; nothing after a refused one.
};
