#include "attendance/FrmMon.h"

#include "ui/BoxNames.h"
#include "ui/TypedInput.h"

#include "attendance/RtfWriter.h"
#include "attendance/WordProcessor.h"
#include "db/Clock.h"
#include "session/Session.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Buttons.h"
#include "ui/FileDialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QRadioButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

namespace {

constexpr int kRows = 16;
constexpr int kGridTop = 72;
constexpr int kLowerHeight = 160;   // the marks and the remarks

QComboBox* comboBox(QWidget* parent, const char* name, const QRect& r)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    TypedInput::typedOnly(c);
    c->setGeometry(r);
    InputFilters::enterMovesOn(c->lineEdit());
    return c;
}

}  // namespace

FrmMon::FrmMon(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmMon"));
    setWindowTitle(QStringLiteral("个人月总查询"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    saveDialog = [](QWidget* w, const QString& last) {
        return FileDialogs::saveFile(w, QStringLiteral("保存"), last, QStringLiteral("所有文件 (*.doc)"));
    };
    openDocument = [](const QUrl& url) { return WordProcessor::open(url.toLocalFile()); };

    buildControls();
    // Just below and right of the main window's corner.
    if (parent)
        move(parent->frameGeometry().topLeft() + QPoint(13, 80));
    showWhole(false);

    QSqlDatabase db = Session::db();
    const QDate today = Clock::today();
    dtp_->setDate(today);
    sheetYear_ = today.year();
    sheetMonth_ = today.month();

    QString error;
    workTimes_ = WorkTimes::load(db, &error);
    if (workTimes_) {
        const SessionTimes& s = workTimes_->sessions;
        const QTime times[] = {s.morningStart, s.morningEnd, s.afternoonStart, s.afternoonEnd};
        for (int i = 0; i < 4; ++i)
            text_[i]->setText(times[i].isValid() ? times[i].toString(QStringLiteral("HH:mm:ss")) : QString());
    } else {
        Prompt::inform(this, error.isEmpty() ? QStringLiteral("请先设置上下班时间！")
                                             : QStringLiteral("读取上下班时间出错：%1").arg(error));
    }
    cka_->addItems(MonthlySheet::cards(db));
    cna_->addItems(MonthlySheet::names(db));
    for (QComboBox* c : {cka_, cna_}) {
        c->setCurrentIndex(-1);
        c->setEditText(QString());
    }
}

void FrmMon::buildControls()
{
    option1_ = new QRadioButton(QStringLiteral("按卡号"), this);
    option1_->setObjectName(QStringLiteral("Option1"));
    option1_->setGeometry(10, 8, 70, 24);
    option1_->setChecked(true);
    cka_ = comboBox(this, "Cka", QRect(80, 8, 100, 24));
    option2_ = new QRadioButton(QStringLiteral("按姓名"), this);
    option2_->setObjectName(QStringLiteral("Option2"));
    option2_->setGeometry(196, 8, 70, 24);
    cna_ = comboBox(this, "Cna", QRect(266, 8, 100, 24));
    (new QLabel(QStringLiteral("年月："), this))->setGeometry(382, 8, 44, 24);
    dtp_ = new QDateEdit(this);
    TypedInput::clickSelectsSection(dtp_);
    dtp_->setObjectName(QStringLiteral("DTP"));
    dtp_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dtp_->setCalendarPopup(true);
    dtp_->setGeometry(426, 8, 110, 24);
    for (QComboBox* c : {cka_, cna_}) {
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
    }
    connect(cka_, &QComboBox::activated, this, [this]() { query(); });
    connect(cna_, &QComboBox::activated, this, [this]() { query(); });

    auto* label1 = new QLabel(QStringLiteral("I 段上班"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(10, 40, 60, 24);
    auto* label2 = new QLabel(QStringLiteral("II段上班"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(250, 40, 60, 24);
    for (int i = 0; i < 4; ++i) {
        text_[i] = new QLineEdit(QStringLiteral("Text%1").arg(i + 1), this);
        text_[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        text_[i]->setReadOnly(true);
        text_[i]->setGeometry((i < 2 ? 72 : 312) + (i % 2) * 84, 40, 80, 24);
    }
    BoxNames::after(cka_, option1_);
    BoxNames::after(cna_, option2_);
    dtp_->setAccessibleName(QStringLiteral("年月"));
    for (int i = 0; i < 4; ++i)
        BoxNames::after(text_[i], i < 2 ? label1 : label2);
    picture3_ = new QToolButton(this);
    picture3_->setObjectName(QStringLiteral("Picture3"));
    picture3_->setArrowType(Qt::DownArrow);
    picture3_->setToolTip(QStringLiteral("备注"));
    picture3_->setGeometry(520, 40, 24, 24);
    connect(picture3_, &QToolButton::clicked, this, [this]() { showWhole(true); });
    command1_ = Buttons::make(this, "Command1", QStringLiteral("查看"), QRect(550, 38, 68, 28));
    command2_ = Buttons::make(this, "Command2", QStringLiteral("退出"), QRect(624, 38, 68, 28));
    connect(command1_, &QPushButton::clicked, this, &FrmMon::query);
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);

    const QStringList headings{QStringLiteral(" 星期"), QStringLiteral(" 日期"), QStringLiteral("上班时间"),
                               QStringLiteral("下班时间"), QStringLiteral("上班时间"), QStringLiteral("下班时间")};
    for (int g = 0; g < 2; ++g) {
        auto* t = new QTableWidget(kRows, 6, this);
        t->setObjectName(g == 0 ? QStringLiteral("MSF") : QStringLiteral("MSF1"));
        t->setHorizontalHeaderLabels(headings);
        QFont bold = t->horizontalHeader()->font();
        bold.setBold(true);
        t->horizontalHeader()->setFont(bold);
        t->verticalHeader()->hide();
        // Rows and columns are as large as the font needs, and share out
        // whatever more room the window gives.
        const QFontMetrics fm(t->font());
        const QFontMetrics boldFm(bold);
        const int pad = fm.averageCharWidth() * 2;
        const QString widest[] = {QStringLiteral("星期三"), QStringLiteral("31"), QStringLiteral("00:00:00")};
        int width = 0;
        for (int c = 0; c < 6; ++c) {
            columnBase_[c] = std::max(boldFm.horizontalAdvance(headings.at(c)),
                                      fm.horizontalAdvance(widest[std::min(c, 2)])) + pad;
            width += columnBase_[c];
        }
        rowBase_ = fm.height() + fm.height() / 3 + 2;
        t->verticalHeader()->setMinimumSectionSize(rowBase_);
        t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        const int frame = 2 * t->frameWidth();
        gridBase_ = QSize(width + frame, t->horizontalHeader()->sizeHint().height() + kRows * rowBase_ + frame);
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        // A click picks the day even when the cell is already current.
        connect(t, &QTableWidget::currentCellChanged, this, [this, g](int row) {
            if (!filling_)
                pick(g, row + 1);
        });
        connect(t, &QTableWidget::cellPressed, this, [this, g](int row) { pick(g, row + 1); });
        grid_[g] = t;
    }

    // The remarks.
    lower_ = new QWidget(this);
    lower_->setObjectName(QStringLiteral("Lower"));
    const int y = 0;
    const MonthlySheet::Mark marks[] = {MonthlySheet::Mark::Late, MonthlySheet::Mark::LeftEarly,
                                        MonthlySheet::Mark::Leave, MonthlySheet::Mark::Absent,
                                        MonthlySheet::Mark::Overtime};
    const char* names[] = {"Clate", "Cle", "Clv", "Cabs", "Cot"};
    for (int i = 0; i < 5; ++i) {
        markButtons_[i] = Buttons::make(
            lower_, names[i], MonthlySheet::caption(marks[i]), QRect(8 + i * 66, y, 60, 26));
        connect(markButtons_[i], &QPushButton::clicked, this, [this, m = marks[i]]() { mark(m); });
    }
    picture4_ = new QToolButton(lower_);
    picture4_->setObjectName(QStringLiteral("Picture4"));
    picture4_->setArrowType(Qt::UpArrow);
    picture4_->setGeometry(8 + 5 * 66, y + 1, 24, 24);
    connect(picture4_, &QToolButton::clicked, this, [this]() { showWhole(false); });

    auto* frame = new QGroupBox(QStringLiteral("备注"), lower_);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(8, y + 32, 590, 112);
    rbox_ = new QTextEdit(frame);
    rbox_->setObjectName(QStringLiteral("RBox"));
    rbox_->setGeometry(8, 20, 574, 84);
    rbox_->setAcceptRichText(true);
    command6_ = Buttons::make(lower_, "Command6", QStringLiteral("保存"), QRect(606, y + 40, 88, 28));
    command7_ = Buttons::make(lower_, "Command7", QStringLiteral("编辑打印"), QRect(606, y + 76, 88, 28));
    command3_ = Buttons::make(lower_, "Command3", QStringLiteral("清除"), QRect(606, y + 112, 88, 28));
    connect(command6_, &QPushButton::clicked, this, [this]() { save(); });
    connect(command7_, &QPushButton::clicked, this, &FrmMon::editAndPrint);
    connect(command3_, &QPushButton::clicked, rbox_, &QTextEdit::clear);
    lower_->resize(700, kLowerHeight);

    // The top row of boxes and buttons ends at 692.
    setMinimumWidth(std::max(704, 2 * gridBase_.width() + 20));
    resize(minimumWidth(), height());
}

void FrmMon::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeGrids();
}

void FrmMon::placeGrids()
{
    const int w = std::max(gridBase_.width(), (width() - 20) / 2);
    const int h = std::max(gridBase_.height(), height() - kGridTop - 8 - (whole_ ? kLowerHeight : 0));
    // The room beyond what the font needs goes to the columns in their
    // proportions, and to the rows evenly.
    const int extraWidth = w - gridBase_.width();
    const int row = rowBase_ + (h - gridBase_.height()) / kRows;
    for (int g = 0; g < 2; ++g) {
        QTableWidget* t = grid_[g];
        t->setGeometry(8 + g * (w + 4), kGridTop, w, h);
        const int baseWidth = gridBase_.width() - 2 * t->frameWidth();
        int given = 0;
        for (int c = 0; c < 6; ++c) {
            const int width = c < 5 ? columnBase_[c] + extraWidth * columnBase_[c] / baseWidth
                                    : baseWidth + extraWidth - given;
            t->setColumnWidth(c, width);
            given += width;
        }
        for (int r = 0; r < kRows; ++r)
            t->setRowHeight(r, row);
    }
    lower_->move(0, kGridTop + h + 8);
}

bool FrmMon::eventFilter(QObject* watched, QEvent* event)
{
    // Entering a box chooses what the query goes by.
    if (event->type() == QEvent::FocusIn) {
        if (watched == cka_ || watched == cka_->lineEdit())
            option1_->setChecked(true);
        else if (watched == cna_ || watched == cna_->lineEdit())
            option2_->setChecked(true);
    }
    return QDialog::eventFilter(watched, event);
}

void FrmMon::showWhole(bool whole)
{
    const int gridHeight = std::max(gridBase_.height(), grid_[0]->height());
    whole_ = whole;
    setMinimumHeight(kGridTop + gridBase_.height() + 8 + (whole ? kLowerHeight : 0));
    resize(width(), kGridTop + gridHeight + 8 + (whole ? kLowerHeight : 0));
    placeGrids();
}

void FrmMon::clearGrids()
{
    filling_ = true;
    for (QTableWidget* t : grid_) {
        t->clearContents();
        t->setCurrentCell(-1, -1);
    }
    filling_ = false;
    daysShown_ = 0;
    pickedDay_ = 0;
}

void FrmMon::layOutCalendar()
{
    const QDate first(sheetYear_, sheetMonth_, 1);
    daysShown_ = first.daysInMonth();
    for (int d = 1; d <= daysShown_; ++d) {
        const QDate date(sheetYear_, sheetMonth_, d);
        const MonthlySheet::Place p = MonthlySheet::placeOf(d);
        QTableWidget* t = grid_[p.grid];
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem;
            if (c == 0) {
                item->setText(MonthlySheet::weekdayName(date));
                if (const auto shade = MonthlySheet::weekdayShade(date))
                    item->setBackground(*shade);
            } else {
                if (c == 1)
                    item->setText(QString::number(d));
                if (const auto shade = MonthlySheet::dayShade(date))
                    item->setBackground(*shade);
            }
            t->setItem(p.row - 1, c, item);
        }
    }
}

void FrmMon::writeDay(const MonthlySheet::Day& day)
{
    const MonthlySheet::Place p = MonthlySheet::placeOf(day.date.day());
    QTableWidget* t = grid_[p.grid];
    const std::optional<QTime> punches[] = {day.punches.morningIn, day.punches.morningOut, day.punches.afternoonIn,
                                            day.punches.afternoonOut};
    for (int i = 0; i < 4; ++i) {
        QTableWidgetItem* item = t->item(p.row - 1, i + 2);
        if (!item)
            continue;
        // A colour left by an earlier row on this day must not stay.
        if (const auto colour = MonthlySheet::punchColour(p.grid, i + 2, punches[i], workTimes_))
            item->setForeground(*colour);
        else
            item->setData(Qt::ForegroundRole, QVariant());
        item->setText(MonthlySheet::punchText(punches[i]));
    }
}

void FrmMon::query()
{
    clearGrids();
    sheetYear_ = dtp_->date().year();
    sheetMonth_ = dtp_->date().month();
    const QString card = cka_->currentText();
    const QString name = cna_->currentText();
    const auto say = [this](const QString& text) { Prompt::inform(this, text); };
    if (card.isEmpty() && name.isEmpty())
        return say(QStringLiteral("请选择卡号或姓名!!"));
    if (!option1_->isChecked() && !option2_->isChecked())
        return say(QStringLiteral("按卡号查询还是按姓名查询？"));
    const bool byCard = option1_->isChecked();
    if (byCard && card.isEmpty())
        return say(QStringLiteral("请选择卡号!!"));
    if (!byCard && name.isEmpty())
        return say(QStringLiteral("请选择姓名!!"));

    pendingHeading_ = byCard ? card : name;
    const MonthlySheet::Month m = MonthlySheet::month(Session::db(), byCard ? MonthlySheet::By::Card
                                                                             : MonthlySheet::By::Name,
                                                      byCard ? card : name, sheetYear_, sheetMonth_);
    layOutCalendar();
    if (!m.error.isEmpty())
        return Prompt::exclaim(this, QStringLiteral("查询考勤数据出错：%1").arg(m.error));
    if (m.days.isEmpty())
        return say(QStringLiteral("此员工本月无打卡记录！"));
    for (const MonthlySheet::Day& d : m.days)
        writeDay(d);
}

void FrmMon::pick(int grid, int row)
{
    pickedDay_ = MonthlySheet::dayAt(grid, row, daysShown_);
}

void FrmMon::mark(MonthlySheet::Mark m)
{
    if (pickedDay_ == 0)
        return;
    QTextCursor c(rbox_->document());
    c.movePosition(QTextCursor::End);
    c.insertText(MonthlySheet::markText(pendingHeading_, sheetYear_, sheetMonth_, pickedDay_, m));
    pendingHeading_.clear();
}

bool FrmMon::save()
{
    const QString file = saveDialog ? saveDialog(this, savedFile_) : QString();
    if (file.isEmpty())
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(RtfWriter::fromDocument(*rbox_->document())) < 0 ||
        !out.commit()) {
        Prompt::exclaim(this, QStringLiteral("备注没有保存到“%1”：%2").arg(QDir::toNativeSeparators(file), out.errorString()));
        return false;
    }
    savedFile_ = file;
    return true;
}

void FrmMon::editAndPrint()
{
    if (savedFile_.isEmpty()) {
        Prompt::inform(this, QStringLiteral("请先把备注保存成文件，再编辑打印。"));
        if (!save())
            return;
    }
    if (!openDocument || !openDocument(QUrl::fromLocalFile(savedFile_)))
        Prompt::exclaim(this, QStringLiteral("这台电脑上没有能打开“%1”的文字处理程序，无法编辑打印。")
                                  .arg(QDir::toNativeSeparators(savedFile_)));
}
