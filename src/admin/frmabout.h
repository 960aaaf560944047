#pragma once
#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// The About window: the system's title, the system-information button and
// the way to the hardware-information window.
class frmabout : public QDialog {
    Q_OBJECT
public:
    explicit frmabout(QWidget* parent = nullptr);

    // Opens the hardware-information window (modal). Set by the main
    // window; while it is unset the button is there but disabled.
    static inline std::function<void()> openHardwareInfo;

    // There is no system-information program to start here.
    void StartSysInfo();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showHardwareInfo();

    QLabel* lblTitle = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QPushButton* Command1 = nullptr;  // "硬件信息(&H)"
    bool placed_ = false;
};
