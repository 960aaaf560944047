#pragma once
#include <QByteArray>
#include <QString>

#include <QtGlobal>

// Small helpers the window and line tests share.

// Bytes written as hex text, as the frames are read in a protocol table.
inline QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

// A control of a window by its name; a missing one ends the test at once,
// since every later step would only report a null pointer.
template <typename T, typename Window>
T* child(Window& w, const char* name)
{
    T* c = w.template findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}
