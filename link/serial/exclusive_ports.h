#pragma once
// The ports this process holds exclusive (TIOCEXCL). The flag belongs to the tty, not to
// the descriptor: a process ended by a signal leaves it set, and every other user of the
// port is refused until someone clears it. A program that ends itself on purpose (a
// second Ctrl-C) clears it first with releaseExclusivePorts().

namespace tarvex::serial {

// Notes a descriptor just made exclusive; false when every place is taken (the port is
// then not to be held exclusive at all).
bool holdExclusivePort(int fd);
// Forgets the descriptor; call before it is closed.
void forgetExclusivePort(int fd);
// Clears the exclusive flag on every port still held. Safe in a signal handler and from
// any thread while others open and close ports.
void releaseExclusivePorts();

}  // namespace tarvex::serial
