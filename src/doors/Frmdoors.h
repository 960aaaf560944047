#pragma once
#include "doors/DoorsTable.h"
#include "link/LinePort.h"
#include "ui/LineDialog.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// 门锁设置: the controllers and their locks. Adding, modifying and deleting
// touch only `doors`; picking an address reads the controller's status,
// and the initialise and change-delays buttons talk to the controller.
class Frmdoors : public LineDialog {
    Q_OBJECT
public:
    explicit Frmdoors(QWidget* parent = nullptr);
    ~Frmdoors() override;

private:
    void fillAddresses();
    void showController();
    void kindClicked(int option);
    std::optional<int> checkedAddress();
    bool checkDelays();
    bool anyLockTicked();
    LockKind kind(int lock) const;
    LockEntry entry(int lock) const;
    void add();
    void modify();
    void remove();
    void initialise();
    void changeDelays();
    QList<QWidget*> exchangeControls() const;

    QComboBox* Cdoor = nullptr;
    QCheckBox* Clkn1[2] = {};  // "一号锁", "二号锁"
    QLineEdit* drnam[2] = {};
    QLineEdit* second2[2] = {};  // the open delay of each lock, in seconds
    QRadioButton* Opt[6] = {};
    QListWidget* ListView1 = nullptr;  // "项目名称": the status lines
    QPushButton* Cmdadd = nullptr;
    QPushButton* Command4 = nullptr;  // "修改(&C)"
    QPushButton* cmddel = nullptr;
    QPushButton* Cmdtest = nullptr;
    QPushButton* Command1 = nullptr;  // "修改延迟时间(&M)"
    QPushButton* Command2 = nullptr;  // "退出(&E)"
    LinePort* Comm = nullptr;
};
