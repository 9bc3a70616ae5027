#include "tests/reliability/operations.h"

namespace tarvex::reliability {

const std::vector<Operation>& operations() {
  static const std::vector<Operation> all = {
      {"connection test", makeConnectionTest},
      {"EDID read", makeEdidRead},
      {"EDID read, single", makeEdidSingleRead},
      {"EDID write", makeEdidWrite},
      {"EDID write, steps off", makeEdidWriteStepsOff},
      {"KB90xx read", makeKb90Read},
      {"KB90xx read, single", makeKb90SingleRead},
      {"KB90xx write", makeKb90Write},
      {"KB90xx write, steps off", makeKb90WriteStepsOff},
      {"keyboard scan", makeKeyboardScan},
      {"MEC16 check", makeMec16Check},
      {"MEC16 read", makeMec16Read},
      {"MEC16 read+INFO", makeMec16ReadWithInfo},
      {"MEC16 read, single", makeMec16SingleRead},
      {"MEC16 erase", makeMec16Erase},
      {"MEC16 write", makeMec16Write},
      {"MEC16 erase, steps off", makeMec16EraseStepsOff},
      {"MEC16 write, steps off", makeMec16WriteStepsOff},
      {"ITE settings", makeIteSettings},
      {"ITE check", makeIteCheck},
      {"ITE read", makeIteRead},
      {"ITE read, single", makeIteSingleRead},
      {"ITE write", makeIteWrite},
      {"ITE write, steps off", makeIteWriteStepsOff},
  };
  return all;
}

}  // namespace tarvex::reliability
