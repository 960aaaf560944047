#pragma once
#include <QDialog>

class QComboBox;
class QPushButton;

// "发卡机设置": the address under which the card-issuing window reads
// cards. Opened modeless.
class frmfkj : public QDialog {
    Q_OBJECT
public:
    explicit frmfkj(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void store();
    void refuse();

    QComboBox* fkjaddr;
    QPushButton* Command1;  // "确认(&O)"
    bool refusing_ = false;
};
