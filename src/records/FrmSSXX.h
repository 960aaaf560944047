#pragma once
#include "ui/LineDialog.h"

#include <QPixmap>

#include <chrono>

class PassScanner;
class QLabel;
struct PassRecord;

// 实时监视进出门打卡情况: fills the screen with the person who just passed a
// door — name, time, building, position, channel, card number and photo.
// The display is emptied once, two minutes after the window opens; from
// then on a pass stays until the next one replaces it.
class FrmSSXX : public LineDialog {
    Q_OBJECT
public:
    explicit FrmSSXX(QWidget* parent = nullptr);
    // With the scan's tick and the one clearing's delay of the caller's (tests).
    FrmSSXX(QWidget* parent, std::chrono::milliseconds tick, std::chrono::milliseconds clearAfter);
    ~FrmSSXX() override;

    // The picture shown for a person without a usable photo: face05.ico
    // of the program folder, else the one built in.
    static QPixmap defaultFace();

    // What the photo shows now: "" (nothing), "face" or the photo's path.
    QString shownPicture() const { return shownPicture_; }

    void ShowPerson(const QString& card, int address, int channel);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void load(std::chrono::milliseconds tick);
    void clearDisplay();
    void showPicture(const QPixmap& picture, const QString& name);

    QLabel* Label2[6] = {};    // the pass: "姓名:", "时间:", "大厦:", "职务:", "通道：", "卡号:"
    QLabel* Label4 = nullptr;  // why the line could not be opened
    QLabel* Image1 = nullptr;  // the card holder's photo
    QPixmap picture_;
    QString shownPicture_;
    PassScanner* scanner_ = nullptr;
};
