#pragma once
#include "cards/RemovedCardQuery.h"

#include <QDialog>
#include <QSqlDatabase>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class RemovedCardModel;

// "退卡查询": the history of removed cards, filtered by department, name,
// card number and a range of removal dates, in one of five orders, and
// printed as the removed-card report. Cells of the grid may be corrected;
// each correction is checked and written to its own row.
class FrmTkcx : public QDialog {
    Q_OBJECT
public:
    explicit FrmTkcx(QWidget* parent = nullptr);
    ~FrmTkcx() override;

    // The filter of the rows the grid shows (the last query that ran).
    const RemovedCardQuery::Filter& shown() const { return shown_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void query();
    void print();
    void showRows(const RemovedCardQuery::Filter& filter);
    RemovedCardQuery::Filter typedFilter() const;

    QSqlDatabase db_;
    RemovedCardQuery::Filter shown_;

    QCheckBox* Ch[4] = {};               // 部门, 姓名, 卡号, 退卡日期
    QLabel* Label1[5] = {};              // "大厦", "姓名", "卡号", -, "退卡日期": the boxes' names
    QComboBox* Cbm = nullptr;            // "大厦"
    QComboBox* Cxm = nullptr;            // "姓名"
    QComboBox* Ckh = nullptr;            // "卡号"
    QDateEdit* DTP1 = nullptr;           // "退卡日期" from
    QDateEdit* DTP2 = nullptr;           // "至"
    QComboBox* Combo1 = nullptr;         // "排序方式"
    QPushButton* Command1 = nullptr;     // "查 看"
    QPushButton* Command2 = nullptr;     // "打 印"
    QPushButton* Command3 = nullptr;     // "关 闭"
    QTableView* DBGrid1 = nullptr;       // the removed cards, corrected in place
    RemovedCardModel* Data2 = nullptr;   // DBGrid1's rows
};
