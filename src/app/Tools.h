#pragma once
#include <QList>
#include <QString>

class QWidget;

// The main window's menu tools, one row per tool id: captions, the right
// that switches each one, how its window is shown and what opens it.
namespace Tools {

enum class Shown { Modal, Modeless, None };

struct Tool {
    int id;
    int head;        // id of the drop-down it sits in; 0 for a menu-bar entry
    QString caption;
    int right;       // n of right rn, -1 when no right governs it
    Shown shown;
    // A new window for the tool, or nullptr when it could not be opened;
    // no function when the tool's window is not part of the program.
    QWidget* (*open)(QWidget* parent);
};

// Menu-bar entries in their order.
const QList<Tool>& heads();
// Every tool in menu order.
const QList<Tool>& all();
const Tool* byId(int id);
// The tool that right rn switches.
int toolForRight(int n);

inline constexpr int kHelp = 11;
inline constexpr int kAbout = 12;
inline constexpr int kExit = 14;
inline constexpr int kMonitor = 21;
inline constexpr int kAutoCollect = 24;
inline constexpr int kSpecial = 6;

}  // namespace Tools
