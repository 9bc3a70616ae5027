// Tarvex on the software adapter: the same windows on a simulated bench, with a small
// control window for the bench. With --show-connection-test it also opens the connection
// test and runs it once (used to make the README's screenshots).

#include <cstring>
#include <filesystem>
#include <memory>

#include "app/demo/demo_control.h"
#include "app/main_window.h"
#include "widgets/window_placement.h"
#include "app/start_up.h"
#include "app/testing_window.h"
#include "emulator/bench/demo_bench.h"
#include "base/standard_streams.h"

int main(int argc, char** argv) {
  if (!tarvex::fillStandardStreams()) return 1;
  bool showConnectionTest = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--show-connection-test") == 0) showConnectionTest = true;
  }

  tarvex::emu::DemoBench bench;
  const std::string samples = std::filesystem::is_directory(TARVEX_SAMPLES_DIR)
                                  ? TARVEX_SAMPLES_DIR
                                  : TARVEX_INSTALLED_SAMPLES_DIR;
  tarvex::BaseFilePaths paths{samples + "/kb90/MB connection KB901X.txt",
                              samples + "/ite/MB connection IT85XX.txt"};
  return tarvex::runTarvex(argc, argv, bench.bus(), paths, [&](tarvex::Shell& shell) {
    auto control = std::make_unique<tarvex::DemoControl>(bench);
    // Beside the main window, not over it.
    tarvex::placeBeside(control.get(), shell.windows().Form1);
    control->show();
    shell.keepWindow(std::move(control));
    if (showConnectionTest) {
      shell.windows().Form1->Test_connectClick();
      shell.windows().TESTING->BitBtn1Click();
    }
  });
}
