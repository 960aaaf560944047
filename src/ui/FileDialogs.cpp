#include "ui/FileDialogs.h"

#include "db/ProgramFolder.h"
#include "ui/Prompter.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStyle>

namespace {

// The default provider asks the MIME database for each file, which reads
// the file's first bytes.
class NameOnlyIcons : public QAbstractFileIconProvider {
public:
    NameOnlyIcons() { setOptions(DontUseCustomDirectoryIcons); }

    QIcon icon(IconType type) const override
    {
        QStyle* style = QApplication::style();
        switch (type) {
        case Computer: return style->standardIcon(QStyle::SP_ComputerIcon);
        case Desktop: return style->standardIcon(QStyle::SP_DesktopIcon);
        case Trashcan: return style->standardIcon(QStyle::SP_TrashIcon);
        case Network: return style->standardIcon(QStyle::SP_DriveNetIcon);
        case Drive: return style->standardIcon(QStyle::SP_DriveHDIcon);
        case Folder: return style->standardIcon(QStyle::SP_DirIcon);
        case File: break;
        }
        return style->standardIcon(QStyle::SP_FileIcon);
    }

    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }

    QString type(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return QStringLiteral("驱动器");
        if (info.isDir())
            return QStringLiteral("文件夹");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("文件") : QStringLiteral("%1 文件").arg(suffix.toUpper());
    }
};

QString& lastFolder()
{
    static QString folder;
    return folder;
}

// Every name the operator chooses passes here, whichever window asks: no
// file of the program's own may be chosen, and the question about
// replacing a file names the one that will really be written.
class CheckedDialog : public QFileDialog {
public:
    CheckedDialog(QWidget* parent, const QString& caption, const QString& suffix, FileDialogs::Suffix rule)
        : QFileDialog(parent, caption), suffix_(suffix), rule_(rule)
    {
        setOption(QFileDialog::DontConfirmOverwrite);
    }

    QString chosen() const { return chosen_; }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (files.isEmpty() || QFileInfo(files.constFirst()).isDir())
            return QFileDialog::accept();  // opens the folder
        QString file = files.constFirst();
        if (acceptMode() == AcceptSave && rule_ == FileDialogs::Suffix::Always && !suffix_.isEmpty() &&
            !file.endsWith(QLatin1Char('.') + suffix_, Qt::CaseInsensitive))
            file += QLatin1Char('.') + suffix_;
        if (const QString why = ProgramFolder::refusal(file); !why.isEmpty())
            return Prompt::exclaim(this, why, windowTitle());
        if (acceptMode() == AcceptSave && QFileInfo::exists(file) &&
            Prompt::ask(this, QStringLiteral("%1 已存在。\n您想要替换它吗？").arg(QFileInfo(file).fileName()),
                        Prompter::Buttons::YesNo, Prompter::Icon::Exclamation, windowTitle(),
                        Prompter::Answer::No) != Prompter::Answer::Yes)
            return;
        chosen_ = file;
        QFileDialog::accept();
    }

private:
    QString suffix_;
    FileDialogs::Suffix rule_;
    QString chosen_;
};

QString run(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
            QFileDialog::AcceptMode mode, FileDialogs::Suffix rule = FileDialogs::Suffix::WhenNone)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\*\.(\w+))"));
    const QRegularExpressionMatch m = pattern.match(filter);
    CheckedDialog dialog(parent, caption, m.hasMatch() ? m.captured(1) : QString(), rule);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(FileDialogs::iconProvider());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    // A name typed without a suffix gets the one the filter lists, so the
    // file is found again under the type it was saved as.
    if (mode == QFileDialog::AcceptSave && m.hasMatch())
        dialog.setDefaultSuffix(m.captured(1));
    const QFileInfo info(start);
    if (info.isDir()) {
        dialog.setDirectory(start);
    } else {
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty())
        return QString();
    lastFolder() = QFileInfo(dialog.chosen()).absolutePath();
    return dialog.chosen();
}

}  // namespace

namespace FileDialogs {

QString startFolder()
{
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir())
        return lastFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString openFile(QWidget* parent, const QString& caption, const QString& folder, const QString& filter)
{
    return run(parent, caption, folder.isEmpty() ? startFolder() : folder, filter, QFileDialog::AcceptOpen);
}

QString saveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter,
                 Suffix suffix)
{
    const QString start = QFileInfo(suggested).isRelative() ? QDir(startFolder()).filePath(suggested) : suggested;
    return run(parent, caption, start, filter, QFileDialog::AcceptSave, suffix);
}

QAbstractFileIconProvider* iconProvider()
{
    static NameOnlyIcons provider;
    return &provider;
}

}  // namespace FileDialogs
