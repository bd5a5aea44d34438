#pragma once

#include <QString>
#include <QUrl>

namespace tessik::platform {

// The folder that stands for the machine's "/" on the emulated platform; empty means the real machine.
// Set once at start-up (programs) or per test; a native build has no use for it.
void setSystemRoot(const QString& directory);
QString systemRoot();

// The kind of system the programs serve: a Mac (emulated under a system root on this build), or without a root the
// machine's own freedesktop.org desktop.
enum class SystemKind
{
    mac,
    freedesktop,
};
SystemKind systemKind();

// The location of an absolute path of the machine, for example "/Applications".
QUrl systemURL(const QString& absolutePath);

} // namespace tessik::platform
