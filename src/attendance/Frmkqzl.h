#pragma once
#include <QDialog>

class QDateEdit;
class QProgressBar;
class QPushButton;

// "考勤数据整理": turns the door-open records of a date range into daily
// attendance rows. Opened modally by the main window.
class Frmkqzl : public QDialog {
    Q_OBJECT
public:
    explicit Frmkqzl(QWidget* parent = nullptr);

protected:
    // The window stays while a run is writing.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void start();

    bool running_ = false;

    QDateEdit* dtp1_ = nullptr;         // "整理数据时间段：" "从"
    QDateEdit* dtp2_ = nullptr;         // "到"
    QProgressBar* prg_ = nullptr;       // the days done
    QPushButton* command1_ = nullptr;   // "开始"
    QPushButton* command2_ = nullptr;   // "退出"
};
