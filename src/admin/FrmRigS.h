#pragma once
#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

// Operator accounts and their rights. What the logged-in operator may do
// here follows that operator's own flags: usersetting for add, modify and
// delete, usermanage for saving rights.
class FrmRigS : public QDialog {
    Q_OBJECT
public:
    explicit FrmRigS(QWidget* parent = nullptr);

private:
    void buildAccountsTab(QWidget* tab);
    void buildRightsTab(QWidget* tab);
    void fillList();
    void loadAccount();
    void addAccount();
    void modifyAccount();
    void deleteAccount();
    void saveRights();
    void toggleAll();
    void showFailure(const QString& error);

    QTabWidget* SSTab1 = nullptr;  // tabs "用户设置" and "用户权限"
    QListWidget* List1 = nullptr;  // the operator names
    QLineEdit* Text1 = nullptr;  // the operator name
    QLineEdit* Text2 = nullptr;  // the password
    QCheckBox* Che1 = nullptr;  // "设置用户"
    QCheckBox* Che2 = nullptr;  // "管理用户权限"
    QPushButton* Command6 = nullptr;  // "添加"
    QPushButton* Command4 = nullptr;  // "修改"
    QPushButton* Command7 = nullptr;  // "删除"
    QPushButton* Command5 = nullptr;  // "退出" (accounts tab)
    std::array<QCheckBox*, 25> Ch{};
    QPushButton* Command1 = nullptr;  // "确定" (rights tab)
    QPushButton* Command3 = nullptr;  // select all / none of the rights
    QPushButton* Command2 = nullptr;  // "退出" (rights tab)
    bool refilling_ = false;
};
