#pragma once
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The operator window of the older `user` layout (用户名, 口令, 权限).
// Nothing opens it; it is kept for databases of that layout.
class Frmuser : public QDialog {
    Q_OBJECT
public:
    explicit Frmuser(QWidget* parent = nullptr);

private:
    void nameChosen(const QString& name);
    // The checks add and modify share; false when the action ends.
    bool checkInput(bool adding);
    void add();
    void modify();
    void remove();
    int chosenLevel() const;
    void refill();

    QComboBox* Cuser;
    QLineEdit* Tpasswd;
    QRadioButton* oqx0;  // "系统维护员"
    QRadioButton* oqx2;  // "一般用户"
    QPushButton* Cmdadd;
    QPushButton* Cmdch;
    QPushButton* cmddel;
    QPushButton* Cmdexit;
};
