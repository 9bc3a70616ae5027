#pragma once
// The seven windows of the program, in the order they are created. The main window's
// handlers reach the others through this; every window lives until the program ends.

namespace tarvex {

class TForm1;
class TEDID_form;
class TKB901X_forms;
class TKeyboard_testing;
class TTESTING;
class TMEC16_Form;
class TITE_FORM;

struct ShellWindows {
  TForm1* Form1 = nullptr;
  TEDID_form* EDID_form = nullptr;
  TKB901X_forms* KB901X_forms = nullptr;
  TKeyboard_testing* Keyboard_testing = nullptr;
  TTESTING* TESTING = nullptr;
  TMEC16_Form* MEC16_Form = nullptr;
  TITE_FORM* ITE_FORM = nullptr;
};

}  // namespace tarvex
