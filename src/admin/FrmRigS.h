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

    QTabWidget* SSTab1 = nullptr;
    QListWidget* List1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QCheckBox* Che1 = nullptr;
    QCheckBox* Che2 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command5 = nullptr;
    std::array<QCheckBox*, 25> Ch{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    bool refilling_ = false;
};
