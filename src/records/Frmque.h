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

    QCheckBox* Cck[5] = {};
    QDateEdit* t1s = nullptr;
    QDateEdit* t1e = nullptr;
    QTimeEdit* t2s = nullptr;
    QTimeEdit* t2e = nullptr;
    QComboBox* Cdoor = nullptr;
    QComboBox* Cka = nullptr;
    QComboBox* Cna = nullptr;
    QComboBox* Corder = nullptr;
    QPushButton* Ccx = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QTableView* DBGrid1 = nullptr;
    EditableGridModel* Data2 = nullptr;
    // The query the grid shows; nothing after a refused one.
    std::optional<RecordFilter> shown_;
};
