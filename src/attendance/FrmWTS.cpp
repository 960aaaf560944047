#include "attendance/FrmWTS.h"

#include "ui/DateTimeBoxes.h"
#include "ui/Buttons.h"
#include "ui/TypedInput.h"

#include "attendance/WorkTimes.h"
#include "db/NumberText.h"
#include "session/Session.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Resize.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

#include <limits>

namespace {

QLabel* label(QWidget* parent, const QString& text, const QRect& r)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(r);
    return l;
}

QTimeEdit* picker(QWidget* parent, const char* name, const QRect& r)
{
    QTimeEdit* t = DateTimeBoxes::time(parent, QStringLiteral("HH:mm"));
    t->setObjectName(QString::fromLatin1(name));
    t->setGeometry(r);
    return t;
}

// Minutes, digits only; a number too large is refused when saving.
QLineEdit* minuteBox(QWidget* parent, const char* name, const QRect& r)
{
    auto* t = new QLineEdit(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setGeometry(r);
    t->setAlignment(Qt::AlignRight);
    TypedInput::digitsOnly(t);
    InputFilters::enterMovesOn(t);
    return t;
}

// A number that does not fit counts as out of range, never as 0.
int minutesOf(const QLineEdit* box)
{
    return NumberText::wholeNumber(box->text(), 0, std::numeric_limits<int>::max()).value_or(-1);
}

}  // namespace

FrmWTS::FrmWTS(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmWTS"));
    setWindowTitle(QStringLiteral("上下班时间设置"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(300, 262);

    const char* names[] = {"DTX1", "DTX2", "DTX3", "DTX4"};
    for (int session = 0; session < 2; ++session) {
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QStringLiteral("Frame%1").arg(session + 1));
        frame->setGeometry(12, 8 + session * 78, 276, 72);
        for (int i = 0; i < 2; ++i) {
            const int y = 10 + i * 30;
            dtx_[session * 2 + i] = picker(frame, names[session * 2 + i], QRect(124, y, 100, 24));
            const QString caption = i == 0 ? QStringLiteral("上班时间") : QStringLiteral("下班时间");
            label(frame, caption + u'：', QRect(40, y, 80, 24))->setBuddy(dtx_[session * 2 + i]);
            dtx_[session * 2 + i]->setAccessibleName((session == 0 ? QStringLiteral("上午") : QStringLiteral("下午")) + caption);
        }
    }
    text1_ = minuteBox(this, "Text1", QRect(62, 170, 50, 24));
    label(this, QStringLiteral("迟到"), QRect(30, 170, 30, 24))->setBuddy(text1_);
    label(this, QStringLiteral("分钟以上算迟到"), QRect(118, 170, 150, 24));
    text2_ = minuteBox(this, "Text2", QRect(62, 198, 50, 24));
    label(this, QStringLiteral("早退"), QRect(30, 198, 30, 24))->setBuddy(text2_);
    label(this, QStringLiteral("分钟算以上早退"), QRect(118, 198, 150, 24));

    command1_ = Buttons::make(this, "Command1", QStringLiteral("确 定"), QRect(60, 230, 80, 26));
    command2_ = Buttons::make(this, "Command2", QStringLiteral("退 出"), QRect(160, 230, 80, 26));
    connect(command1_, &QPushButton::clicked, this, &FrmWTS::save);
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);
    Resize::scaleForFont(this);

    const SessionTimes d = WorkTimes::defaults();
    const QTime defaults[] = {d.morningStart, d.morningEnd, d.afternoonStart, d.afternoonEnd};
    for (int i = 0; i < 4; ++i)
        dtx_[i]->setTime(defaults[i]);
    QString error;
    const std::optional<WorkTimeRow> row = WorkTimes::load(Session::db(), &error);
    Tolerances tolerances;
    if (row) {
        const SessionTimes& s = row->sessions;
        const QTime stored[] = {s.morningStart, s.morningEnd, s.afternoonStart, s.afternoonEnd};
        for (int i = 0; i < 4; ++i)
            if (stored[i].isValid())
                dtx_[i]->setTime(stored[i]);
        tolerances = WorkTimes::tolerancesOf(*row);
    } else if (!error.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("读取上下班时间出错：%1").arg(error));
    }
    text1_->setText(QString::number(tolerances.late));
    text2_->setText(QString::number(tolerances.early));
}

void FrmWTS::save()
{
    if (DateTimeBoxes::refused(this))
        return;
    // An empty box counts as no tolerance.
    for (QLineEdit* t : {text1_, text2_})
        if (t->text().isEmpty())
            t->setText(QStringLiteral("0"));
    const SessionTimes sessions{dtx_[0]->time(), dtx_[1]->time(), dtx_[2]->time(), dtx_[3]->time()};
    const Tolerances tolerances{minutesOf(text1_), minutesOf(text2_)};
    const WorkTimes::SaveResult r = WorkTimes::save(Session::db(), sessions, tolerances);
    if (!r.ok()) {
        Prompt::exclaim(this, WorkTimes::message(r.problem, r.error));
        return;
    }
    accept();
}
