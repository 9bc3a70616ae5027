// tarvex-emu-pty: the demo bench's software adapter served on a pseudo-terminal, as a
// process of its own, for runs of a program that is not this one's kind (the Windows
// tarvex-cli under Wine reaches it through a COM port mapped to the slave path).
//
//   tarvex-emu-pty TARGET [--wire]
//
// TARGET is a part of a bench target's name ("EDID", "KB9012", "keyboard", "MEC1609",
// "IT85xx"). The slave path is printed as the first line of standard output; the server
// runs until standard input ends. --wire models the line's timing (921600 baud, USB
// frames, the latency timer) instead of answering at once.

#include <cstdio>
#include <iostream>
#include <string>

#include "emulator/bench/demo_bench.h"
#include "emulator/pty/pty_server.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: tarvex-emu-pty TARGET [--wire]\n";
    return 2;
  }
  const std::string wanted = argv[1];
  const bool wire = argc > 2 && std::string(argv[2]) == "--wire";
  tarvex::emu::DemoBench bench;
  std::string chosen;
  for (const std::string& name : bench.targetNames()) {
    if (name.find(wanted) != std::string::npos) chosen = name;
  }
  if (chosen.empty() || !bench.selectTarget(chosen)) {
    std::cerr << "no bench target named like '" << wanted << "'\n";
    return 2;
  }
  bench.setFastLine(!wire);
  tarvex::emu::PtyServer server(bench.adapter());
  if (!server.start()) {
    std::cerr << "cannot serve the adapter on a pseudo-terminal\n";
    return 1;
  }
  std::cout << server.slavePath() << std::endl;
  // Until whoever started the server closes its input.
  while (std::getchar() != EOF) {
  }
  server.stop();
  return 0;
}
