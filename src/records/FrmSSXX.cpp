#include "records/FrmSSXX.h"

#include "db/Clock.h"
#include "db/DoorAddresses.h"
#include "db/ProgramFolder.h"
#include "link/LineClock.h"
#include "link/LinePort.h"
#include "records/PassHolders.h"
#include "records/PassScanner.h"
#include "session/Session.h"
#include "ui/Prompter.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace std::chrono_literals;

// The built-in picture lives in this library's resources, which a static
// library must register itself.
static void registerPictures()
{
    Q_INIT_RESOURCE(monitoring);
}

namespace {

// A code and words for each way the port can refuse, in the manner of
// the serial control's errors.
QString openFailureText(const OpenResult& r)
{
    int code = 8002;
    QString words;
    switch (r.status) {
    case OpenStatus::BadPortNumber: code = 8002; words = QStringLiteral("无效的端口号"); break;
    case OpenStatus::BadSettings:
    case OpenStatus::BadBufferSize: code = 380; words = QStringLiteral("无效的属性值"); break;
    case OpenStatus::HeldByAnotherWindow: code = 8005; words = QStringLiteral("端口已打开"); break;
    default: code = 8012; words = QStringLiteral("端口无法打开"); break;
    }
    if (!r.detail.isEmpty())
        words += QStringLiteral("（%1）").arg(r.detail);
    return QStringLiteral("%1   " " 端口 (com%2) %3请进入系统配置重新设置端口号！").arg(code).arg(Session::PortNo).arg(words);
}

}  // namespace

FrmSSXX::FrmSSXX(QWidget* parent) : FrmSSXX(parent, 100ms, 2min) {}

FrmSSXX::FrmSSXX(QWidget* parent, std::chrono::milliseconds tick, std::chrono::milliseconds clearAfter)
    : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmSSXX"));
    setWindowTitle(QStringLiteral("     实时监视进出门打卡情况"));

    auto* Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::StyledPanel);
    const char* captions[] = {"姓名:", "时间:", "大厦:", "职务:", "通道：", "卡号:"};
    const char* captionNames[] = {"Label5", "Label6", "Label7", "Label9", "Label3", "Label8"};
    QFont valueFont(QStringLiteral("隶书"));
    valueFont.setPointSize(28);
    QFont captionFont(QStringLiteral("楷体_GB2312"));
    captionFont.setPointSize(24);
    auto* texts = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(captions[i]), Picture1);
        caption->setObjectName(QString::fromLatin1(captionNames[i]));
        caption->setFont(captionFont);
        Label2[i] = new QLabel(Picture1);
        Label2[i]->setObjectName(QStringLiteral("Label2_%1").arg(i));
        Label2[i]->setFont(valueFont);
        Label2[i]->setMinimumWidth(200);
        // A long department or position goes on a second line rather
        // than under the photo.
        Label2[i]->setWordWrap(true);
        texts->addWidget(caption, i, 0, Qt::AlignRight);
        texts->addWidget(Label2[i], i, 1);
    }
    texts->setColumnStretch(1, 1);
    Image1 = new QLabel(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumSize(160, 200);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* inner = new QHBoxLayout(Picture1);
    inner->addLayout(texts, 1);
    inner->addWidget(Image1, 1);

    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Picture1, 1);
    layout->addWidget(Label4);
    resize(900, 560);
    setWindowState(Qt::WindowMaximized);

    // On the line's clock, as the scan is.
    (new LineTimer([this] { clearDisplay(); }, this))->startIn(clearAfter);

    load(tick);
}

FrmSSXX::~FrmSSXX() = default;

void FrmSSXX::load(std::chrono::milliseconds tick)
{
    clearDisplay();
    Label4->clear();
    const QList<int> addresses = DoorAddresses::list(Session::db());
    if (addresses.isEmpty()) {
        Prompt::inform(this, QStringLiteral("请先进行门锁设置！"));
        return;
    }
    const OpenResult opened = port()->open(Session::lineParams());
    if (!opened.ok()) {
        port()->close();
        Label4->setText(openFailureText(opened));
        return;
    }
    scanner_ = new PassScanner(*port(), addresses, tick, this);
    connect(scanner_, &PassScanner::passTaken, this,
            [this](const PassRecord& p) { ShowPerson(p.physical, p.address, p.channel); });
    scanner_->start();
}

QPixmap FrmSSXX::defaultFace()
{
    QPixmap face(ProgramFolder::file(QStringLiteral("face05.ico")));
    if (face.isNull()) {
        registerPictures();
        face.load(QStringLiteral(":/records/face05.ico"));
    }
    return face;
}

void FrmSSXX::ShowPerson(const QString& card, int address, int channel)
{
    const std::optional<PassHolder> holder = PassHolders::find(Session::db(), card);
    if (!holder) {
        clearDisplay();
        return;
    }
    // Every field is written, an empty one as empty text: nothing of the
    // person before may stay beside this one's name.
    auto text = [](const QVariant& v) { return v.isNull() ? QString() : v.toString(); };
    Label2[5]->setText(holder->card);
    Label2[0]->setText(text(holder->name));
    Label2[2]->setText(text(holder->department));
    Label2[3]->setText(text(holder->position));
    Label2[1]->setText(Clock::now().time().toString(QStringLiteral("HH:mm:ss")));
    Label2[4]->setText(PassChannel::passLabel(address, channel));

    const QString photo = text(holder->photo).trimmed();
    if (!photo.isEmpty()) {
        const QString path = QDir(ProgramFolder::path()).filePath(photo);
        QPixmap picture(path);
        if (!picture.isNull()) {
            showPicture(picture, path);
            return;
        }
    }
    showPicture(defaultFace(), QStringLiteral("face"));
}

void FrmSSXX::showPicture(const QPixmap& picture, const QString& name)
{
    picture_ = picture;
    shownPicture_ = name;
    if (picture_.isNull())
        Image1->clear();
    else
        Image1->setPixmap(picture_.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void FrmSSXX::clearDisplay()
{
    for (QLabel* l : Label2)
        l->clear();
    showPicture(QPixmap(), QString());
}

void FrmSSXX::resizeEvent(QResizeEvent* event)
{
    LineDialog::resizeEvent(event);
    if (!picture_.isNull())
        Image1->setPixmap(picture_.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void FrmSSXX::closeEvent(QCloseEvent* event)
{
    if (scanner_)
        scanner_->stop();
    LineDialog::closeEvent(event);
}

void FrmSSXX::reject()
{
    if (scanner_)
        scanner_->stop();
    LineDialog::reject();
}
