#pragma once
#include <QString>

class QAbstractFileIconProvider;
class QWidget;

// Every file dialog and file list of the program. They are Qt's own, never
// the desktop's (which ignores the program's settings), and they name and
// draw files without opening them: a dialog that looked into door.db or its
// logs to guess their type would close that handle again, and closing any
// handle to a file drops every lock this process holds on it, the locks
// SQLite keeps its log consistent with.
//
// No dialog lets the operator choose one of the program's own files
// (ProgramFolder::ownFile), under any spelling: it says which file and why,
// and stays open for another name. A save dialog asks before it replaces
// an existing file, naming the file with the suffix it will really have.
namespace FileDialogs {

// The folder a dialog starts in when it has none of its own: the last
// folder the operator chose a file in, else the operator's documents.
QString startFolder();

// A file to read; `folder` empty starts in startFolder(). Empty when the
// operator cancels.
QString openFile(QWidget* parent, const QString& caption, const QString& folder, const QString& filter);

// When a saved file gets the first suffix `filter` lists: only when the
// name has none, or whenever it does not already end with that one (a
// file whose writer gives it that type whatever it is called).
enum class Suffix { WhenNone, Always };

// A file to write; `suggested` is a file name or a path. A bare name is
// proposed in startFolder(). Empty when the operator cancels.
QString saveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter,
                 Suffix suffix = Suffix::WhenNone);

// Icons and type names from the name alone, for any file list of the
// program.
QAbstractFileIconProvider* iconProvider();

}  // namespace FileDialogs
