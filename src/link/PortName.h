#pragma once
#include <QString>

// Which device a port number names. The database keeps the old port
// number (1 for the first serial port). A link "com<N>" in the program
// folder names the device for port N, so that a site can use a USB
// adapter or the controller simulator without changing that number;
// without such a link port N is /dev/ttyS<N-1> (COM<N> on Windows).
namespace PortName {

// Port numbers start at 1; 0 and below name no port.
bool isValidNumber(int portNo);

// The device for `portNo`: the file the link points to (followed to its
// end, so that two links to one device name the same device), else the
// platform's name. Empty for an invalid number.
QString device(int portNo, const QString& programFolder);

// The path of the link for `portNo` in `programFolder` (whether or not it
// exists). A link spelled in other case is found as well.
QString linkPath(int portNo, const QString& programFolder);

}  // namespace PortName
