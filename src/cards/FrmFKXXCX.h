#pragma once
#include "cards/IssuedCardQuery.h"

#include <QDialog>
#include <QSqlDatabase>

class QueryGridModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

// "发卡信息查询": the issued cards with their holders, filtered by any of
// department, name, controller and card number, in one of three orders,
// and printed as the issued-card report. The grid is read-only: a card
// changed here would no longer match what the controllers hold.
class FrmFKXXCX : public QDialog {
    Q_OBJECT
public:
    explicit FrmFKXXCX(QWidget* parent = nullptr);
    ~FrmFKXXCX() override;

    // The filter of the rows the grid shows (the last query that ran).
    const IssuedCardQuery::Filter& shown() const { return shown_; }

private:
    void query();
    void print();
    void showRows(const IssuedCardQuery::Filter& filter);
    IssuedCardQuery::Filter typedFilter() const;

    QSqlDatabase db_;
    IssuedCardQuery::Filter shown_;

    QLabel* Label1_1 = nullptr;        // "请选择查询项目："
    QCheckBox* Cck_3 = nullptr;        // "大厦"
    QComboBox* Cbm = nullptr;          // the building
    QCheckBox* Cck_0 = nullptr;        // "姓名"
    QComboBox* Txm = nullptr;          // the name
    QCheckBox* Cck_1 = nullptr;        // "地址"
    QComboBox* Cdoor = nullptr;        // the controller's address
    QCheckBox* Cck_2 = nullptr;        // "卡号"
    QComboBox* Tka = nullptr;          // the card
    QLabel* Label1_0 = nullptr;        // "请选择排序方法："
    QComboBox* Corder = nullptr;       // the order
    QPushButton* Ccx = nullptr;        // "查  看"
    QPushButton* Command2 = nullptr;   // "打 印"
    QPushButton* Command1 = nullptr;   // "退  出"
    QTableView* DBGrid1 = nullptr;     // the issued cards
    QueryGridModel* Data1 = nullptr;   // DBGrid1's rows
};
