#include "attendance/FrmMon.h"

#include "ui/DateTimeBoxes.h"
#include "ui/BoxNames.h"
#include "ui/TypedInput.h"

#include "attendance/RtfWriter.h"
#include "attendance/WordProcessor.h"
#include "db/Clock.h"
#include "session/Session.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Buttons.h"
#include "ui/ChoiceBoxes.h"
#include "ui/FileDialogs.h"
#include "ui/Resize.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kRows = 16;

// The lists are read when the operator first uses them, a page at a
// time: years of records must not hold the window's opening.
QComboBox* comboBox(QWidget* parent, const char* name, QSqlQuery (*choices)(QSqlDatabase))
{
    return ChoiceBoxes::choices(parent, name, [choices] { return choices(Session::db()); });
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
    // Just below and right of the main window's corner, the grids only.
    if (parent)
        move(parent->frameGeometry().topLeft() + QPoint(13, 80));
    lower_->hide();
    resize(sizeHint());

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
}

void FrmMon::buildControls()
{
    option1_ = new QRadioButton(QStringLiteral("按卡号"), this);
    option1_->setObjectName(QStringLiteral("Option1"));
    option1_->setChecked(true);
    cka_ = comboBox(this, "Cka", &MonthlySheet::cards);
    option2_ = new QRadioButton(QStringLiteral("按姓名"), this);
    option2_->setObjectName(QStringLiteral("Option2"));
    cna_ = comboBox(this, "Cna", &MonthlySheet::names);
    auto* monthLabel = new QLabel(QStringLiteral("年月："), this);
    dtp_ = DateTimeBoxes::date(this);
    dtp_->setObjectName(QStringLiteral("DTP"));
    for (QComboBox* c : {cka_, cna_}) {
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
    }
    connect(cka_, &QComboBox::activated, this, [this]() { query(); });
    connect(cna_, &QComboBox::activated, this, [this]() { query(); });

    auto* label1 = new QLabel(QStringLiteral("I 段上班"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 = new QLabel(QStringLiteral("II段上班"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    for (int i = 0; i < 4; ++i) {
        text_[i] = new QLineEdit(QStringLiteral("Text%1").arg(i + 1), this);
        text_[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        text_[i]->setReadOnly(true);
    }
    BoxNames::after(cka_, option1_);
    BoxNames::after(cna_, option2_);
    dtp_->setAccessibleName(QStringLiteral("年月"));
    for (int i = 0; i < 4; ++i)
        BoxNames::part(text_[i], (i < 2 ? label1 : label2)->text(), i % 2 == 0 ? QStringLiteral("上班时间") : QStringLiteral("下班时间"));
    picture3_ = new QToolButton(this);
    picture3_->setObjectName(QStringLiteral("Picture3"));
    picture3_->setArrowType(Qt::DownArrow);
    picture3_->setToolTip(QStringLiteral("备注"));
    picture3_->setAccessibleName(QStringLiteral("展开备注"));
    connect(picture3_, &QToolButton::clicked, this, [this]() { showWhole(true); });
    command1_ = Buttons::make(this, "Command1", QStringLiteral("查看"));
    command2_ = Buttons::make(this, "Command2", QStringLiteral("退出"));
    connect(command1_, &QPushButton::clicked, this, &FrmMon::query);
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);

    const QStringList headings{QStringLiteral(" 星期"), QStringLiteral(" 日期"), QStringLiteral("上班时间"),
                               QStringLiteral("下班时间"), QStringLiteral("上班时间"), QStringLiteral("下班时间")};
    auto* grids = new QHBoxLayout;
    for (int g = 0; g < 2; ++g) {
        auto* t = new QTableWidget(kRows, 6, this);
        t->setObjectName(g == 0 ? QStringLiteral("MSF") : QStringLiteral("MSF1"));
        t->setHorizontalHeaderLabels(headings);
        // Bold and otherwise the window's font, whatever size that takes.
        QFont bold;
        bold.setBold(true);
        t->horizontalHeader()->setFont(bold);
        t->verticalHeader()->hide();
        t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->installEventFilter(this);
        // A click picks the day even when the cell is already current.
        connect(t, &QTableWidget::currentCellChanged, this, [this, g](int row) {
            if (!filling_)
                pick(g, row + 1);
        });
        connect(t, &QTableWidget::cellPressed, this, [this, g](int row) { pick(g, row + 1); });
        grid_[g] = t;
        grids->addWidget(t);
    }

    // The remarks.
    lower_ = new QWidget(this);
    lower_->setObjectName(QStringLiteral("Lower"));
    const MonthlySheet::Mark marks[] = {MonthlySheet::Mark::Late, MonthlySheet::Mark::LeftEarly,
                                        MonthlySheet::Mark::Leave, MonthlySheet::Mark::Absent,
                                        MonthlySheet::Mark::Overtime};
    const char* names[] = {"Clate", "Cle", "Clv", "Cabs", "Cot"};
    auto* markRow = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        markButtons_[i] = Buttons::make(lower_, names[i], MonthlySheet::caption(marks[i]));
        connect(markButtons_[i], &QPushButton::clicked, this, [this, m = marks[i]]() { mark(m); });
        markRow->addWidget(markButtons_[i]);
    }
    picture4_ = new QToolButton(lower_);
    picture4_->setObjectName(QStringLiteral("Picture4"));
    picture4_->setArrowType(Qt::UpArrow);
    picture4_->setAccessibleName(QStringLiteral("收起备注"));
    connect(picture4_, &QToolButton::clicked, this, [this]() { showWhole(false); });
    markRow->addWidget(picture4_);
    markRow->addStretch();

    auto* frame = new QGroupBox(QStringLiteral("备注"), lower_);
    frame->setObjectName(QStringLiteral("Frame1"));
    rbox_ = new QTextEdit(frame);
    rbox_->setObjectName(QStringLiteral("RBox"));
    rbox_->setAcceptRichText(true);
    (new QVBoxLayout(frame))->addWidget(rbox_);
    command6_ = Buttons::make(lower_, "Command6", QStringLiteral("保存"));
    command7_ = Buttons::make(lower_, "Command7", QStringLiteral("编辑打印"));
    command3_ = Buttons::make(lower_, "Command3", QStringLiteral("清除"));
    connect(command6_, &QPushButton::clicked, this, [this]() { save(); });
    connect(command7_, &QPushButton::clicked, this, &FrmMon::editAndPrint);
    connect(command3_, &QPushButton::clicked, rbox_, &QTextEdit::clear);
    auto* remarkButtons = new QVBoxLayout;
    for (QPushButton* b : {command6_, command7_, command3_})
        remarkButtons->addWidget(b);
    remarkButtons->addStretch();
    auto* remarks = new QHBoxLayout;
    remarks->addWidget(frame, 1);
    remarks->addLayout(remarkButtons);
    auto* lowerLayout = new QVBoxLayout(lower_);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(markRow);
    lowerLayout->addLayout(remarks);

    auto* chooser = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{option1_, cka_, option2_, cna_, monthLabel, dtp_})
        chooser->addWidget(w);
    chooser->addStretch();
    auto* times = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{label1, text_[0], text_[1], label2, text_[2], text_[3], picture3_,
                                                      command1_, command2_})
        times->addWidget(w);
    times->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addLayout(times);
    layout->addLayout(grids, 1);
    layout->addWidget(lower_);
    measure();
}

// What the font needs: every day and column of the grids without scrolling
// and the work times whole. Measured again whenever the font changes.
void FrmMon::measure()
{
    for (QLineEdit* t : text_)
        t->setMinimumWidth(t->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 12);
    for (QComboBox* c : {cka_, cna_})
        c->setMinimumWidth(c->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 30);
    for (QTableWidget* t : grid_) {
        const QFontMetrics fm(t->font());
        const QFontMetrics boldFm(t->horizontalHeader()->font());
        const int pad = fm.averageCharWidth() * 2;
        const QString widest[] = {QStringLiteral("星期三"), QStringLiteral("31"), QStringLiteral("00:00:00")};
        int width = 0;
        for (int c = 0; c < 6; ++c) {
            const QString heading = t->horizontalHeaderItem(c)->text();
            columnBase_[c] =
                std::max(boldFm.horizontalAdvance(heading), fm.horizontalAdvance(widest[std::min(c, 2)])) + pad;
            width += columnBase_[c];
        }
        rowBase_ = fm.height() + fm.height() / 3 + 2;
        t->verticalHeader()->setMinimumSectionSize(rowBase_);
        const int frame = 2 * t->frameWidth();
        gridBase_ = QSize(width + frame, t->horizontalHeader()->sizeHint().height() + kRows * rowBase_ + frame);
        t->setMinimumSize(gridBase_);
    }
    spreadGrids();
}

void FrmMon::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange && grid_[1])
        measure();
}

// The room beyond what the font needs goes to the columns in their
// proportions, and to the rows evenly.
void FrmMon::spreadGrids()
{
    for (QTableWidget* t : grid_) {
        const int baseWidth = gridBase_.width() - 2 * t->frameWidth();
        const int extraWidth = std::max(0, t->width() - gridBase_.width());
        const int row = rowBase_ + std::max(0, t->height() - gridBase_.height()) / kRows;
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
}

bool FrmMon::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && (watched == grid_[0] || watched == grid_[1]))
        spreadGrids();
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
    if (whole == whole_)
        return;
    whole_ = whole;
    const int lowerHeight = lower_->sizeHint().height() + layout()->spacing();
    lower_->setVisible(whole);
    layout()->activate();
    resize(width(), std::max(minimumSizeHint().height(), height() + (whole ? lowerHeight : -lowerHeight)));
    if (isVisible())
        Resize::fitToScreen(this);
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
    if (DateTimeBoxes::refused(this))
        return;
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
