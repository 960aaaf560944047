#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// Returns the database to the state of a new installation, with the name
// typed here as the prefix of the main window's title.
class Form3 : public QDialog {
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);

private:
    void initialise();

    QLabel* Label1 = nullptr;  // "请输入公司名称："
    QLineEdit* Text1 = nullptr;  // the company name
    QPushButton* Command1 = nullptr;  // "确定"
    QPushButton* Command2 = nullptr;  // "退出"
    QProgressBar* Pro = nullptr;
};
