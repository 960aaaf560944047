#include "admin/Form1.h"

#include "session/Session.h"
#include "db/ProgramFolder.h"
#include "ui/BoxNames.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/WorkProgress.h"
#include "ui/Buttons.h"
#include "ui/FileDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// Folders of the system itself hold no place for a copy.
bool isSystemMount(const QString& root)
{
    for (const char* p : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot"}) {
        const QString prefix = QLatin1String(p);
        if (root == prefix || root.startsWith(prefix + QLatin1Char('/')))
            return true;
    }
    return false;
}

QString pickFile(QWidget* parent)
{
    return FileDialogs::openFile(parent, QStringLiteral("恢复数据"), QString(), QStringLiteral("*.db"));
}

}  // namespace

Form1::Form1(QWidget* parent) : QDialog(parent), chooseRestoreFile(pickFile)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("数据备份与恢复"));

    Frame1 = new QGroupBox(QStringLiteral("数据备份选择"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Drive1 = new QComboBox(Frame1);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    InputFilters::pickOnly(Drive1);
    Dir1 = new QListWidget(Frame1);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setMinimumHeight(160);
    Text2 = new QLineEdit(Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    InputFilters::enterMovesOn(Text2);
    File1 = new QListWidget(Frame1);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setMinimumWidth(170);

    auto* grid = new QGridLayout;
    grid->addWidget(label(Frame1, "Label3", QStringLiteral("选择驱动器名:")), 0, 0);
    grid->addWidget(Drive1, 0, 1);
    grid->addWidget(label(Frame1, "Label5", QStringLiteral("选择目标路径:")), 1, 0, Qt::AlignTop);
    grid->addWidget(Dir1, 1, 1);
    grid->addWidget(label(Frame1, "Label6", QStringLiteral("输入目标文件名:")), 2, 0);
    grid->addWidget(Text2, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* inFrame = new QHBoxLayout(Frame1);
    inFrame->addLayout(grid, 3);
    inFrame->addWidget(File1, 2);

    // Both show the target; only the rules above set it.
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Label4 = label(this, "Label4", QString());
    Label4->setWordWrap(true);

    Command1 = Buttons::make(this, "Command1", QStringLiteral("数据备份"));
    Command3 = Buttons::make(this, "Command3", QStringLiteral("数据恢复"));
    Command2 = Buttons::make(this, "Command2", QStringLiteral("退  出"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {Command1, Command3, Command2})
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Text1);
    layout->addWidget(Label4);
    layout->addLayout(buttons);
    resize(620, 420);

    fillDrives();
    setFolder(ProgramFolder::path());

    connect(Drive1, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0)
            setFolder(Drive1->itemData(i).toString());
    });
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setFolder(item->data(Qt::UserRole).toString()); });
    connect(Text2, &QLineEdit::textChanged, this, &Form1::applyNameRule);
    connect(File1, &QListWidget::itemClicked, this, &Form1::applyFileRule);
    connect(Command1, &QPushButton::clicked, this, &Form1::backUp);
    connect(Command3, &QPushButton::clicked, this, &Form1::restore);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    findChild<QLabel*>(QStringLiteral("Label3"))->setBuddy(Drive1);
    findChild<QLabel*>(QStringLiteral("Label6"))->setBuddy(Text2);
    Text1->setAccessibleName(QStringLiteral("目标文件"));
    BoxNames::fromLabels(this);
}

void Form1::fillDrives()
{
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (v.isValid() && v.isReady() && !isSystemMount(v.rootPath()))
            roots << v.rootPath();
    }
    const QString home = QStorageInfo(ProgramFolder::path()).rootPath();
    if (!home.isEmpty() && !roots.contains(home))
        roots << home;
    roots.sort();
    roots.removeDuplicates();
    for (const QString& r : roots)
        Drive1->addItem(QDir::toNativeSeparators(r), r);
    Drive1->setCurrentIndex(Drive1->findData(home));
}

void Form1::setFolder(const QString& path)
{
    QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir(path).absolutePath();
    folder_ = canonical;

    // Like a folder list: the way down from the root, then the folders
    // inside the current one. A double-click opens an entry.
    Dir1->clear();
    QStringList chain;
    for (QDir d(folder_);; ) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (int i = 0; i < chain.size(); ++i) {
        const QString name = i == 0 ? QDir::toNativeSeparators(chain[i]) : QFileInfo(chain[i]).fileName();
        auto* item = new QListWidgetItem(open, QString(i * 2, QLatin1Char(' ')) + name, Dir1);
        item->setData(Qt::UserRole, chain[i]);
    }
    Dir1->setCurrentRow(chain.size() - 1);
    const QDir here(folder_);
    // QDir lists a link to a device (a port's com<N>) among the folders.
    for (const QFileInfo& sub :
         here.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        if (!sub.isDir())
            continue;
        auto* item = new QListWidgetItem(closed, QString(chain.size() * 2, QLatin1Char(' ')) + sub.fileName(), Dir1);
        item->setData(Qt::UserRole, sub.absoluteFilePath());
    }
    fillFiles();
    applyNameRule();
}

void Form1::fillFiles()
{
    File1->clear();
    File1->addItems(QDir(folder_).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void Form1::setTarget(const QString& path)
{
    target_ = path;
    Text1->setText(QDir::toNativeSeparators(path));
    Label4->setText(QDir::toNativeSeparators(path));
}

void Form1::applyNameRule()
{
    setTarget(BackupRestore::targetFor(folder_, Text2->text()));
}

void Form1::applyFileRule(QListWidgetItem* item)
{
    Text2->setText(item->text());
    setTarget(BackupRestore::targetForFile(folder_, item->text()));
}

void Form1::backUp()
{
    if (Text2->text().trimmed().isEmpty())
        return;
    if (BackupRestore::isRefusedTarget(target_)) {
        const QString why = ProgramFolder::refusal(target_);
        Prompt::inform(this, QStringLiteral("请输入正确的名称！") + (why.isEmpty() ? QString() : QLatin1Char('\n') + why));
        return;
    }
    BackupRestore::Outcome out;
    {
        BusyCursor busy;
        WorkProgress progress(this, QStringLiteral("正在备份数据库…"));
        out = BackupRestore::backup(Session::db(), target_, hooks, progress.sink());
    }
    fillFiles();
    if (out.ok)
        Prompt::inform(this, QStringLiteral("数据备份完毕！"));
    else
        Prompt::exclaim(this, QStringLiteral("数据备份失败！\n%1").arg(out.error));
}

void Form1::restore()
{
    const QString file = chooseRestoreFile ? chooseRestoreFile(this) : QString();
    if (file.isEmpty())
        return;
    BackupRestore::Choice choice;
    QString why;
    {
        BusyCursor busy;
        WorkProgress progress(this, QStringLiteral("正在检查数据库…"));
        choice = BackupRestore::checkChoice(file, &why, progress.sink());
    }
    // A good backup of a newer program is refused for a reason the
    // operator cannot see in the file.
    if (choice == BackupRestore::Choice::Newer) {
        Prompt::inform(this, QStringLiteral("选择数据库错误！\n%1").arg(why));
        return;
    }
    if (choice != BackupRestore::Choice::Usable) {
        Prompt::inform(this, QStringLiteral("选择数据库错误！"));
        return;
    }
    if (Prompt::ask(this, QStringLiteral("此操作会将后备数据库覆盖现有数据库，要继续吗？"), Prompter::Buttons::YesNo,
                    Prompter::Icon::Critical, QString(), Prompter::Answer::No) != Prompter::Answer::Yes)
        return;
    BackupRestore::RestoreOutcome out;
    {
        BusyCursor busy;
        WorkProgress progress(this, QStringLiteral("正在恢复数据库…"));
        out = BackupRestore::restore(file, hooks, progress.sink());
    }
    switch (out.status) {
    case BackupRestore::RestoreStatus::Restored: Prompt::inform(this, QStringLiteral("数据已被恢复！")); break;
    case BackupRestore::RestoreStatus::NotUsable: Prompt::inform(this, QStringLiteral("选择数据库错误！")); break;
    case BackupRestore::RestoreStatus::Failed:
        Prompt::exclaim(this, QStringLiteral("数据恢复失败，现有数据库没有改变。\n%1").arg(out.error));
        break;
    case BackupRestore::RestoreStatus::ReopenFailed:
        Prompt::exclaim(this, QStringLiteral("数据已被恢复，但数据库无法打开，请重新启动系统。\n%1").arg(out.error));
        break;
    }
}
