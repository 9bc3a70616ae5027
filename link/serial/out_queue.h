#pragma once
// How many bytes the kernel still holds to send on a tty. The query can be replaced: a
// pseudo-terminal reports its output queue empty at once, so only a stand-in can play a
// USB serial line whose last bytes take their time to leave.

namespace tarvex::serial {

// False when the query itself fails; *outgoing is then left at 0.
using OutQueueQuery = bool (*)(int fd, int* outgoing);

bool queryOutQueue(int fd, int* outgoing);

// Puts `query` in the kernel's place (nullptr puts the kernel's back) and returns the one
// it replaced.
OutQueueQuery setOutQueueQuery(OutQueueQuery query);

}  // namespace tarvex::serial
