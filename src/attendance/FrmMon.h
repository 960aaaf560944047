#pragma once
#include "attendance/MonthlySheet.h"

#include <QDialog>
#include <QUrl>

#include <functional>
#include <optional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTextEdit;
class QToolButton;

// "个人月总查询": one person's month as a sheet, late arrivals blue and
// early leaves red, with remarks marked day by day and saved as a rich
// text document. Opened modally by the main window.
class FrmMon : public QDialog {
    Q_OBJECT
public:
    explicit FrmMon(QWidget* parent = nullptr);

    // "保存" asks this for a file name (the last one chosen is offered);
    // an empty answer means the operator cancelled. Tests replace it.
    std::function<QString(QWidget*, const QString& lastFile)> saveDialog;
    // "编辑打印" opens the saved document with this; false when the desktop
    // has no program for it. Tests replace it.
    std::function<bool(const QUrl&)> openDocument;

    const QString& savedFile() const { return savedFile_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void query();
    void clearGrids();
    void layOutCalendar();
    void writeDay(const MonthlySheet::Day& day);
    void pick(int grid, int row);
    void mark(MonthlySheet::Mark m);
    bool save();
    void editAndPrint();
    void showWhole(bool whole);
    void measure();
    void spreadGrids();

    QRadioButton* option1_ = nullptr;   // "按卡号"
    QRadioButton* option2_ = nullptr;   // "按姓名"
    QComboBox* cka_ = nullptr;          // the card to show
    QComboBox* cna_ = nullptr;          // the name to show
    QDateEdit* dtp_ = nullptr;          // "年月："
    QLineEdit* text_[4] = {};           // the work times: "I 段上班" from, to; "II段上班" from, to
    QTableWidget* grid_[2] = {};   // MSF, MSF1
    QPushButton* command1_ = nullptr;   // "查看"
    QPushButton* command2_ = nullptr;   // "退出"
    QToolButton* picture3_ = nullptr;   // the down arrow: the whole sheet with "备注"
    QToolButton* picture4_ = nullptr;   // the up arrow: the grids only
    QPushButton* markButtons_[5] = {};
    QPushButton* command6_ = nullptr;   // "保存"
    QPushButton* command7_ = nullptr;   // "编辑打印"
    QPushButton* command3_ = nullptr;   // "清除"
    QTextEdit* rbox_ = nullptr;         // the remarks, in "备注"
    QWidget* lower_ = nullptr;     // the marks and the remarks, below the grids
    QSize gridBase_;               // a grid just holding every day and column
    int columnBase_[6] = {};       // the columns' widths in it
    int rowBase_ = 0;
    bool whole_ = false;

    std::optional<WorkTimeRow> workTimes_;
    int sheetYear_ = 0;
    int sheetMonth_ = 0;
    int daysShown_ = 0;           // days of the month laid out in the grids
    int pickedDay_ = 0;
    QString pendingHeading_;      // the person of the last query, until the first mark
    QString savedFile_;
    bool filling_ = false;
};
