#include "people/Frmxg.h"

#include "reports/ReportPrint.h"

#include "session/Session.h"
#include "db/ProgramFolder.h"
#include "people/CardNumberBox.h"
#include "ui/BoxNames.h"
#include "ui/DateTimeBoxes.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Resize.h"
#include "ui/TypedInput.h"
#include "ui/FileDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QStyle>
#include <QTableView>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace {

// The birth-date picker always holds a date; this one stands for "none"
// and shows as a blank box.
const QDate kNoBirthday(1752, 9, 14);
const QDate kFirstBirthday(2002, 6, 13);

// Shows a picture scaled into the box, keeping its proportions, also after
// the window has been resized.
class PictureBox : public QLabel {
public:
    using QLabel::QLabel;
    void setPicture(const QPixmap& p)
    {
        source_ = p;
        rescale();
    }
    void clearPicture()
    {
        source_ = QPixmap();
        clear();
    }
    bool hasPicture() const { return !source_.isNull(); }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QLabel::resizeEvent(e);
        rescale();
    }

private:
    void rescale()
    {
        if (source_.isNull())
            return;
        const QSize room = contentsRect().size();
        setPixmap(source_.scaled(room.isEmpty() ? QSize(1, 1) : room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    QPixmap source_;
};

QLabel* label(QWidget* parent, const QString& text, const QRect& r, const QString& name = QString())
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(r);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

QLineEdit* textBox(QWidget* parent, const char* name, const QRect& r)
{
    auto* t = new QLineEdit(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setGeometry(r);
    TypedInput::storedText(t);
    return t;
}

// A person field's text, in a text box or an editable combo box alike.
QString fieldText(const QWidget* w)
{
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    return static_cast<const QLineEdit*>(w)->text();
}

void setFieldText(QWidget* w, const QString& text)
{
    if (auto* c = qobject_cast<QComboBox*>(w))
        c->setEditText(text);
    else
        static_cast<QLineEdit*>(w)->setText(text);
}

QComboBox* comboBox(QWidget* parent, const char* name, const QRect& r)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    TypedInput::storedText(c);
    c->setGeometry(r);
    return c;
}

}  // namespace

Frmxg::Frmxg(QWidget* parent) : QDialog(parent), db_(Session::db())
{
    setObjectName(QStringLiteral("Frmxg"));
    setWindowTitle(QStringLiteral("人员信息"));
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowMinMaxButtonsHint);
    // The window was drawn for a 12-pixel Chinese font and 7-pixel digits;
    // a larger font gets a proportionally larger window.
    scale_ = Resize::fontScale(this);
    resize(R(0, 0, 715, 469).size());

    photoDialog = [](QWidget* parent) {
        const QString filter = QStringLiteral("*.jpg;*.gif;*.bmp (*.jpg *.gif *.bmp *.jpeg *.JPG *.GIF *.BMP *.JPEG)");
        return FileDialogs::openFile(parent, QStringLiteral("取照片"), ProgramFolder::path(), filter);
    };

    buildControls();

    // Opening, in the order the window always took.
    emptyTexts();
    cardNumbers_ = CardNumberBox::allCardNumbers(db_, this);
    CardNumberBox::attach(ckh1_, cardNumbers_);
    CardNumberBox::attach(ckh2_, cardNumbers_);
    cbm_->addItems(Personnel::departmentNames(db_));
    cbm_->setCurrentIndex(-1);
    cbm_->setEditText(QString());
    reloadGrid();

    Resize::keepProportional(this);
}

Frmxg::~Frmxg() = default;

QRect Frmxg::R(int x, int y, int w, int h) const
{
    auto at = [this](int v) { return int(std::lround(v * scale_)); };
    return QRect(at(x), at(y), at(x + w) - at(x), at(y + h) - at(y));
}

void Frmxg::buildControls()
{
    // Toolbar with its six buttons and the query group to their right.
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(20, 20));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setGeometry(R(0, 0, 715, 46));
    const struct {
        QStyle::StandardPixmap icon;
        const char* theme;
        const char* text;
        void (Frmxg::*slot)();
    } tools[] = {
        {QStyle::SP_FileIcon, "list-add", "添加", &Frmxg::addPerson},
        {QStyle::SP_FileDialogDetailedView, "document-edit", "修改", &Frmxg::changePerson},
        {QStyle::SP_TrashIcon, "edit-delete", "删除", &Frmxg::deletePerson},
        {QStyle::SP_FileDialogContentsView, "edit-find", "查询", &Frmxg::query},
        {QStyle::SP_DialogSaveButton, "document-print", "打印", &Frmxg::print},
        {QStyle::SP_DialogCloseButton, "application-exit", "退出", nullptr},
    };
    int index = 1;
    for (const auto& t : tools) {
        const QIcon icon = QIcon::fromTheme(QString::fromLatin1(t.theme), style()->standardIcon(t.icon));
        QAction* a = toolbar_->addAction(icon, QString::fromUtf8(t.text));
        a->setObjectName(QStringLiteral("Toolbar1_%1").arg(index++));
        if (t.slot)
            connect(a, &QAction::triggered, this, t.slot);
        else
            connect(a, &QAction::triggered, this, &QDialog::accept);
    }
    toolbar_->addSeparator();
    text1_ = new QLabel(QStringLiteral("查询打印："), toolbar_);
    text1_->setObjectName(QStringLiteral("Text1"));
    toolbar_->addWidget(text1_);
    option1_ = new QRadioButton(QStringLiteral("全部"), toolbar_);
    option1_->setObjectName(QStringLiteral("Option1"));
    toolbar_->addWidget(option1_);
    option2_ = new QRadioButton(QStringLiteral("卡号范围"), toolbar_);
    option2_->setObjectName(QStringLiteral("Option2"));
    toolbar_->addWidget(option2_);
    ckh1_ = new QComboBox(toolbar_);
    ckh1_->setObjectName(QStringLiteral("Ckh1"));
    ckh1_->setFixedWidth(R(0, 0, 84, 0).width());
    toolbar_->addWidget(ckh1_);
    auto* to = new QLabel(QStringLiteral(" 至 "), toolbar_);
    toolbar_->addWidget(to);
    ckh2_ = new QComboBox(toolbar_);
    ckh2_->setObjectName(QStringLiteral("Ckh2"));
    ckh2_->setFixedWidth(R(0, 0, 84, 0).width());
    toolbar_->addWidget(ckh2_);
    connect(option1_, &QRadioButton::clicked, this, [this]() { filter_ = Personnel::Filter(); });

    // The owner's particulars. Places are those of a 715 by 469 window
    // drawn for a 12-pixel Chinese font; R() scales them to this font.
    frame2_ = new QGroupBox(QStringLiteral("业主信息"), this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame2_->setGeometry(R(4, 48, 707, 132));
    auto* lf = frame2_;
    const int y1 = 22, y2 = 49, y3 = 76, y4 = 103, h = 23;
    tkh_ = textBox(lf, "Tkh", R(68, y1, 92, h));
    label(lf, QStringLiteral("卡    号："), R(2, y1, 64, h))->setBuddy(tkh_);
    // Keys have their own rule (cardKey); pastes and input methods bring
    // digits only too, so " 000001" cannot become a second person.
    TypedInput::digitsOnly(tkh_);
    tfh_ = textBox(lf, "Tfh", R(230, y1, 136, h));
    label(lf, QStringLiteral("房     号："), R(164, y1, 64, h))->setBuddy(tfh_);
    txm_ = textBox(lf, "Txm", R(436, y1, 92, h));
    label(lf, QStringLiteral("业主姓名："), R(370, y1, 64, h))->setBuddy(txm_);
    csex_ = comboBox(lf, "Csex", R(570, y1, 62, h));
    label(lf, QStringLiteral("性别："), R(530, y1, 38, h))->setBuddy(csex_);
    csex_->addItems({QStringLiteral("男"), QStringLiteral("女")});

    dtpicker2_ = DateTimeBoxes::date(lf);
    label(lf, QStringLiteral("出生年月："), R(2, y2, 64, h))->setBuddy(dtpicker2_);
    dtpicker2_->setObjectName(QStringLiteral("DTPicker2"));
    dtpicker2_->setGeometry(R(68, y2, 92, h));
    dtpicker2_->setMinimumDate(kNoBirthday);
    dtpicker2_->setSpecialValueText(QStringLiteral(" "));
    dtpicker2_->setDate(kFirstBirthday);
    tma_ = textBox(lf, "Tma", R(230, y2, 136, h));
    label(lf, QStringLiteral("婚姻状况："), R(164, y2, 64, h))->setBuddy(tma_);
    ttel_ = textBox(lf, "Ttel", R(436, y2, 92, h));
    label(lf, QStringLiteral("联系电话："), R(370, y2, 64, h))->setBuddy(ttel_);
    tzw_ = textBox(lf, "Tzw", R(570, y2, 62, h));
    label(lf, QStringLiteral("职务："), R(530, y2, 38, h))->setBuddy(tzw_);

    tfcz_ = textBox(lf, "Tfcz", R(68, y3, 92, h));
    label(lf, QStringLiteral("房产证号："), R(2, y3, 64, h))->setBuddy(tfcz_);
    tid_ = textBox(lf, "Tid", R(230, y3, 136, h));
    label(lf, QStringLiteral("身份证号："), R(164, y3, 64, h))->setBuddy(tid_);
    tnation_ = textBox(lf, "Tnation", R(436, y3, 40, h));
    label(lf, QStringLiteral("民族："), R(370, y3, 64, h))->setBuddy(tnation_);
    // Building names are longer than nationalities: the box takes the room.
    cbm_ = comboBox(lf, "Cbm", R(516, y3, 116, h));
    label(lf, QStringLiteral("大厦："), R(478, y3, 36, h))->setBuddy(cbm_);

    thukou_ = textBox(lf, "Thukou", R(78, y4, 288, h));
    label(lf, QStringLiteral("户口所在地："), R(0, y4, 76, h))->setBuddy(thukou_);
    tcompany_ = textBox(lf, "Tcompany", R(436, y4, 196, h));
    label(lf, QStringLiteral("工作单位："), R(370, y4, 64, h))->setBuddy(tcompany_);

    auto* picture = new PictureBox(lf);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(R(638, 16, 64, 82));
    picture->setFrameShape(QFrame::StyledPanel);
    picture->setFrameShadow(QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    picture1_ = picture;
    command5_ = new QPushButton(QStringLiteral("取照片"), lf);
    command5_->setObjectName(QStringLiteral("Command5"));
    command5_->setGeometry(R(638, y4, 64, h + 1));
    command5_->setAutoDefault(false);
    connect(command5_, &QPushButton::clicked, this, &Frmxg::choosePhoto);

    // The household.
    frame1_ = new QGroupBox(QStringLiteral("家庭主要成员"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(R(4, 182, 707, 80));
    auto* hf = frame1_;
    const int r1 = 22, r2 = 50;
    label(hf, QStringLiteral("配偶："), R(2, r1, 40, h));
    tspouse_ = textBox(hf, "Tspouse", R(74, r1, 80, h));
    label(hf, QStringLiteral("姓名"), R(42, r1, 30, h))->setBuddy(tspouse_);
    cssex_ = comboBox(hf, "Cssex", R(190, r1, 56, h));
    label(hf, QStringLiteral("性别"), R(158, r1, 30, h))->setBuddy(cssex_);
    cssex_->addItems({QStringLiteral("男"), QStringLiteral("女")});
    cssex_->setCurrentIndex(1);
    tshukou_ = textBox(hf, "Tshukou", R(316, r1, 148, h));
    label(hf, QStringLiteral("户口所在地"), R(248, r1, 63, h))->setBuddy(tshukou_);
    tscompany_ = textBox(hf, "Tscompany", R(523, r1, 179, h));
    label(hf, QStringLiteral("工作单位"), R(466, r1, 52, h))->setBuddy(tscompany_);

    label(hf, QStringLiteral("小孩："), R(2, r2, 40, h));
    tchild1_ = textBox(hf, "Tchild1", R(74, r2, 80, h));
    label(hf, QStringLiteral("姓名"), R(42, r2, 30, h))->setBuddy(tchild1_);
    tchild2_ = textBox(hf, "Tchild2", R(190, r2, 80, h));
    label(hf, QStringLiteral("姓名"), R(158, r2, 30, h))->setBuddy(tchild2_);
    tchild3_ = textBox(hf, "Tchild3", R(306, r2, 80, h));
    label(hf, QStringLiteral("姓名"), R(274, r2, 30, h))->setBuddy(tchild3_);
    tother_ = textBox(hf, "Tother", R(444, r2, 258, h));
    label(hf, QStringLiteral("其他成员"), R(390, r2, 52, h))->setBuddy(tother_);

    // The grid.
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setGeometry(R(4, 266, 707, 199));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setAlternatingRowColors(true);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->verticalHeader()->setMinimumWidth(24);
    gridModel_ = new QSqlQueryModel(this);
    grid_->setModel(gridModel_);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!reloading_ && current.isValid())
                    loadRow(current.row());
            });

    // The focus order of the input fields.
    QWidget* order[] = {tkh_,     tfh_,    txm_,     csex_,    dtpicker2_, tma_,      ttel_,    tzw_,
                        tfcz_,    tid_,    tnation_, cbm_,     thukou_,    tcompany_, tspouse_, cssex_,
                        tshukou_, tscompany_, tchild1_, tchild2_, tchild3_, tother_,   command5_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Enter moves on in every input box but the card number, which has its
    // own keys.
    for (QWidget* w : order) {
        if (w == tkh_ || w == command5_)
            continue;
        // A combo box takes the keys itself and hands them to its line edit.
        InputFilters::enterMovesOn(w);
    }
    BoxNames::part(ckh1_, option2_->text(), QStringLiteral("从"));
    BoxNames::part(ckh2_, option2_->text(), QStringLiteral("至"));
    BoxNames::part(tspouse_, QStringLiteral("配偶："), QStringLiteral("姓名"));
    BoxNames::part(cssex_, QStringLiteral("配偶："), QStringLiteral("性别"));
    QLineEdit* const children[] = {tchild1_, tchild2_, tchild3_};
    for (int i = 0; i < 3; ++i)
        BoxNames::part(children[i], QStringLiteral("小孩："), QStringLiteral("姓名%1").arg(i + 1));
    BoxNames::fromLabels(this);
    tkh_->installEventFilter(this);
    for (QComboBox* c : {ckh1_, ckh2_}) {
        c->installEventFilter(this);
    }
}

bool Frmxg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tkh_ && event->type() == QEvent::KeyPress)
        return cardKey(static_cast<QKeyEvent*>(event));
    if ((watched == ckh1_ || watched == ckh2_ || (ckh1_ && watched == ckh1_->lineEdit()) ||
         (ckh2_ && watched == ckh2_->lineEdit())) &&
        event->type() == QEvent::FocusIn)
        option2_->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

// The card-number box takes digits and Backspace; once it holds six
// characters any further key (Enter, typically) looks the person up
// instead of being typed.
bool Frmxg::cardKey(QKeyEvent* key)
{
    const int k = key->key();
    // Moving about and leaving the box are not typing.
    if (k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up ||
        k == Qt::Key_Down || k == Qt::Key_Home || k == Qt::Key_End || k == Qt::Key_Delete || k == Qt::Key_Escape ||
        (key->modifiers() & Qt::ControlModifier))
        return false;
    const bool typing = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Backspace || !key->text().isEmpty();
    if (!typing)
        return false;
    if (tkh_->text().trimmed().size() == 6) {
        if (k == Qt::Key_Backspace)
            return false;
        lookUpTypedCard();
        return true;
    }
    if (k == Qt::Key_Backspace)
        return false;
    const QString t = key->text();
    return !(t.size() == 1 && t.at(0) >= QLatin1Char('0') && t.at(0) <= QLatin1Char('9'));
}

void Frmxg::lookUpTypedCard()
{
    if (const std::optional<Person> p = Personnel::find(db_, tkh_->text().trimmed())) {
        const QString typed = tkh_->text();
        showPerson(*p);
        tkh_->setText(typed);
    }
    tfh_->setFocus(Qt::TabFocusReason);
}

void Frmxg::loadRow(int row)
{
    const QString card = gridModel_->index(row, 0).data().toString();
    const std::optional<Person> p = Personnel::find(db_, card);
    if (!p)
        return;
    tkh_->setText(p->cardNo);
    showPerson(*p);
}

QWidget* Frmxg::fieldControl(const PersonField& f) const
{
    QWidget* w = findChild<QWidget*>(QString::fromUtf8(f.control));
    Q_ASSERT(w);
    return w;
}

void Frmxg::showPerson(const Person& p)
{
    // A picture chosen for the person shown before must not go to this one.
    if (p.cardNo != photoCard_)
        dropChosenPhoto();
    for (const PersonField& f : PersonFields::all()) {
        switch (f.kind) {
        case PersonField::Kind::Photo:
            if (p.photo.isEmpty() || !showPicture(p.photo))
                clearPicture();
            break;
        case PersonField::Kind::Date:
            static_cast<QDateEdit*>(fieldControl(f))->setDate(p.birthday.isValid() ? p.birthday : kNoBirthday);
            break;
        case PersonField::Kind::Text:
            // The card number box keeps what was typed or picked.
            if (f.text != &Person::cardNo)
                setFieldText(fieldControl(f), p.*f.text);
            break;
        }
    }
}

Person Frmxg::typedPerson() const
{
    Person p;
    for (const PersonField& f : PersonFields::all()) {
        switch (f.kind) {
        case PersonField::Kind::Photo:
            // The picture goes only where the operator chose one.
            break;
        case PersonField::Kind::Date: {
            const QDate d = static_cast<QDateEdit*>(fieldControl(f))->date();
            p.birthday = d == kNoBirthday ? QDate() : d;
            break;
        }
        case PersonField::Kind::Text:
            p.*f.text = fieldText(fieldControl(f));
            break;
        }
    }
    return p;
}

void Frmxg::emptyTexts()
{
    for (QLineEdit* t : {tkh_, txm_, tzw_, tid_, tfh_, tma_, ttel_, thukou_, tcompany_, tfcz_, tnation_, tspouse_,
                         tshukou_, tscompany_, tchild1_, tchild2_, tchild3_, tother_})
        t->clear();
    cbm_->setEditText(QString());
}

bool Frmxg::showPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    static_cast<PictureBox*>(picture1_)->setPicture(QPixmap::fromImage(image));
    return true;
}

void Frmxg::clearPicture()
{
    static_cast<PictureBox*>(picture1_)->clearPicture();
}

void Frmxg::dropChosenPhoto()
{
    photoPath_.clear();
    photoCard_.clear();
}

void Frmxg::choosePhoto()
{
    const QString file = photoDialog ? photoDialog(this) : QString();
    // Closing the dialog without a choice changes nothing.
    if (file.isEmpty())
        return;
    if (showPicture(file)) {
        photoPath_ = QFileInfo(file).absoluteFilePath();
        photoCard_ = tkh_->text().trimmed();
    } else {
        dropChosenPhoto();
    }
}

void Frmxg::reloadGrid()
{
    reloading_ = true;
    gridModel_->setQuery(Personnel::gridQuery(db_, filter_));
    const QStringList captions = Personnel::gridCaptions();
    for (int i = 0; i < captions.size(); ++i)
        gridModel_->setHeaderData(i, Qt::Horizontal, captions.at(i));
    const int widths[] = {64, 72, 56, 40, 80, 48, 64, 96, 64, 110, 110, 96, 140, 72, 110, 110, 72, 72, 72, 90};
    for (int i = 0; i < int(std::size(widths)) && i < gridModel_->columnCount(); ++i)
        grid_->setColumnWidth(i, R(0, 0, widths[i], 0).width());
    const bool any = gridModel_->rowCount() > 0;
    if (any)
        grid_->setCurrentIndex(gridModel_->index(0, 0));
    reloading_ = false;
    if (any)
        loadRow(0);
    if (gridModel_->lastError().isValid())
        reportFailure(gridModel_->lastError().text());
}

void Frmxg::reportFailure(const QString& error)
{
    Prompt::databaseFailed(this, error);
}

void Frmxg::addPerson()
{
    if (tkh_->text().isEmpty()) {
        Prompt::inform(this, QStringLiteral("卡号不能空！"));
        tkh_->setFocus();
        return;
    }
    if (DateTimeBoxes::refused(this))
        return;
    Person p = typedPerson();
    p.photo = photoPath_;
    const Personnel::Result r = Personnel::add(db_, p);
    switch (r.outcome) {
    case Personnel::Outcome::CardExists:
        tkh_->clear();
        Prompt::inform(this, QStringLiteral("卡号已经存在！"));
        break;
    case Personnel::Outcome::Failed:
        // The operator's input stays on screen to be corrected.
        reportFailure(r.error);
        return;
    default:
        emptyTexts();
        dropChosenPhoto();
        clearPicture();
        break;
    }
    reloadGrid();
    tkh_->setFocus();
}

void Frmxg::changePerson()
{
    if (DateTimeBoxes::refused(this))
        return;
    Person p = typedPerson();
    if (!photoPath_.isEmpty() && tkh_->text().trimmed() == photoCard_)
        p.photo = photoPath_;
    const Personnel::Result r = Personnel::change(db_, p);
    if (r.outcome == Personnel::Outcome::Failed) {
        reportFailure(r.error);
        return;
    }
    if (r.outcome == Personnel::Outcome::CardMissing)
        Prompt::inform(this, QStringLiteral("卡号不存在！"));
    reloadGrid();
    emptyTexts();
    dropChosenPhoto();
    clearPicture();
}

void Frmxg::deletePerson()
{
    const Personnel::Result r = Personnel::remove(db_, tkh_->text());
    if (r.outcome == Personnel::Outcome::CardIssued) {
        Prompt::inform(this, QStringLiteral("请先将该卡号从门禁中删除再进行员工信息删除操作！"));
        return;
    }
    if (r.outcome == Personnel::Outcome::Failed) {
        reportFailure(r.error);
        return;
    }
    reloadGrid();
}

void Frmxg::takeRangeIfChosen()
{
    if (option2_->isChecked())
        filter_ = {true, ckh1_->currentText().trimmed(), ckh2_->currentText().trimmed()};
}

void Frmxg::query()
{
    takeRangeIfChosen();
    reloadGrid();
}

void Frmxg::print()
{
    query();
    ReportPrint::stageAndPreview(
        this, [this] { return Personnel::stageReport(db_, filter_); }, Personnel::report(db_));
}
