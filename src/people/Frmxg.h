#pragma once
#include "people/Personnel.h"

#include <QDialog>
#include <QSqlDatabase>

#include <functional>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSqlQueryModel;
class QTableView;
class QToolBar;

// "人员信息": the personnel records. Lists people in a read-only grid,
// shows the current one in the input fields, adds, changes and deletes
// people, and lists or prints all of them or a range of card numbers.
// Opened modally by the main window.
class Frmxg : public QDialog {
    Q_OBJECT
public:
    explicit Frmxg(QWidget* parent = nullptr);
    ~Frmxg() override;

    // "取照片" asks this for a picture file; an empty answer means the
    // operator chose none. Tests replace it.
    std::function<QString(QWidget*)> photoDialog;

    // The picture chosen for the next add or change (empty: none).
    const QString& photoPath() const { return photoPath_; }
    // Which people the grid lists.
    const Personnel::Filter& filter() const { return filter_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QRect R(int x, int y, int w, int h) const;
    void addPerson();
    void changePerson();
    void deletePerson();
    void query();
    void print();
    void choosePhoto();

    void reloadGrid();
    void loadRow(int row);
    void showPerson(const Person& p);
    Person typedPerson() const;
    QWidget* fieldControl(const PersonField& f) const;
    void emptyTexts();
    bool showPicture(const QString& path);
    void clearPicture();
    void dropChosenPhoto();
    void lookUpTypedCard();
    bool cardKey(QKeyEvent* key);
    void takeRangeIfChosen();
    void reportFailure(const QString& error);

    QSqlDatabase db_;
    double scale_ = 1;

    QToolBar* toolbar_ = nullptr;
    QLabel* text1_ = nullptr;  // "查询打印："
    QRadioButton* option1_ = nullptr;  // "全部"
    QRadioButton* option2_ = nullptr;  // "卡号范围"
    QComboBox* ckh1_ = nullptr;  // first card of the range
    QComboBox* ckh2_ = nullptr;  // last card of the range

    QGroupBox* frame2_ = nullptr;  // "业主信息"
    QGroupBox* frame1_ = nullptr;  // "家庭主要成员"
    QLineEdit *tkh_ = nullptr, *tfh_ = nullptr, *txm_ = nullptr, *tma_ = nullptr, *ttel_ = nullptr,
              *tzw_ = nullptr, *tfcz_ = nullptr, *tid_ = nullptr, *tnation_ = nullptr, *thukou_ = nullptr,
              *tcompany_ = nullptr, *tspouse_ = nullptr, *tshukou_ = nullptr, *tscompany_ = nullptr,
              *tchild1_ = nullptr, *tchild2_ = nullptr, *tchild3_ = nullptr, *tother_ = nullptr;
    QComboBox *csex_ = nullptr, *cssex_ = nullptr, *cbm_ = nullptr;
    QDateEdit* dtpicker2_ = nullptr;  // "出生年月："
    QLabel* picture1_ = nullptr;  // the photo
    QPushButton* command5_ = nullptr;  // "取照片"
    QTableView* grid_ = nullptr;

    QSqlQueryModel* gridModel_ = nullptr;
    QSqlQueryModel* cardNumbers_ = nullptr;

    QString photoPath_;    // PhotoPath
    QString photoCard_;    // the card number shown when it was chosen
    Personnel::Filter filter_;
    bool reloading_ = false;
};
