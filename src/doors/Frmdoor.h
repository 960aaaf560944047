#pragma once
#include "link/LinePort.h"
#include "ui/LineDialog.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// 门锁设置 in its older form: one row per door (门号), each on one lock of a
// controller, on the older layout of `doors`. Nothing in the program opens
// it; it shares the lock routines of the current window.
class Frmdoor : public LineDialog {
    Q_OBJECT
public:
    explicit Frmdoor(QWidget* parent = nullptr);
    ~Frmdoor() override;

private:
    void fillDoors();
    void showDoor();
    int lockNo() const;
    std::optional<int> addressForDelays();
    void add();
    void remove();
    void modify();
    void changeDelay();
    void initialise();
    void step(int by);

    QComboBox* Cdoor = nullptr;
    QComboBox* Cdw = nullptr;
    QLineEdit* Taddress = nullptr;
    QLineEdit* ttime = nullptr;
    QToolButton* UpDown1[2] = {};  // up, down
    QRadioButton* Option1[2] = {};  // "一号锁", "二号锁"
    QLabel* mesg = nullptr;
    QPushButton* Cmdadd = nullptr;
    QPushButton* cmddel = nullptr;
    QPushButton* Command4 = nullptr;  // "修改"
    QPushButton* Command1 = nullptr;  // "修改开门延迟时间"
    QPushButton* Cmdtest = nullptr;
    LinePort* Comm = nullptr;
};
