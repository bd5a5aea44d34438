#pragma once

#include <QString>
#include <QUrl>

namespace tessik::platform {

// The folder that stands for the machine's "/" on the emulated platform; empty means the real machine.
// Set once at start-up (programs) or per test; a native build has no use for it.
void setSystemRoot(const QString& directory);
QString systemRoot();

// The kind of system the programs serve: a Mac (emulated under a system root), or without a root the machine's own
// system (nativeSystem()).
enum class SystemKind
{
    mac,
    freedesktop,
};
SystemKind systemKind();

// What serves without a system root: the Mac itself on a Mac build, else the freedesktop.org desktop. The test
// programs choose the desktop on a Mac too, so that nothing a test does reaches the machine's Launch Services; a
// build without the Mac's backend has the desktop only and ignores a choice of the Mac.
void setNativeSystem(SystemKind kind);
SystemKind nativeSystem();

// The location of an absolute path of the machine, for example "/Applications".
QUrl systemURL(const QString& absolutePath);

} // namespace tessik::platform
