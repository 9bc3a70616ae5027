#include "app/demo/demo_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "emulator/keyboard/demo_keyboard.h"

namespace tarvex {

namespace {

constexpr emu::BenchFirmware kFirmwares[] = {
    emu::BenchFirmware::kV41,      emu::BenchFirmware::kV42,      emu::BenchFirmware::kIte,
    emu::BenchFirmware::kWrongTag, emu::BenchFirmware::kNoAnswer,
};

}  // namespace

DemoControl::DemoControl(emu::DemoBench& bench, QWidget* parent) : QWidget(parent), bench_(bench) {
  setObjectName("DemoControl");
  setWindowTitle("DEMO bench control (software adapter)");

  auto* note = new QLabel(
      "<b>Demo only.</b> This window is not part of Tarvex: it drives the simulated "
      "adapter that stands in for the USB programmer and the laptop behind it.",
      this);
  note->setWordWrap(true);
  note->setStyleSheet("background: #FFF3B0; padding: 6px;");

  firmware = new QComboBox(this);
  for (auto fw : kFirmwares) firmware->addItem(emu::benchFirmwareName(fw));
  target = new QComboBox(this);
  target->addItem("(nothing behind the adapter)");
  for (const auto& name : bench_.targetNames()) target->addItem(QString::fromStdString(name));
  unplugged = new QCheckBox("Cable pulled (adapter unplugged)", this);
  silent = new QCheckBox("Adapter silent (answers nothing)", this);
  fastLine = new QCheckBox("Fast line (no transfer times; from the next operation)", this);
  fastLine->setChecked(bench_.fastLine());

  key = new QComboBox(this);
  for (const auto& k : emu::demoKeys()) {
    key->addItem(QString("%1  (pins %2-%3)").arg(QString::fromStdString(k.name)).arg(k.first).arg(k.second));
  }
  pressKey = new QPushButton("Press", this);
  auto* keyRow = new QHBoxLayout;
  keyRow->addWidget(key, 1);
  keyRow->addWidget(pressKey);

  auto* form = new QFormLayout;
  form->addRow("Adapter firmware:", firmware);
  form->addRow("Target on the bench:", target);
  form->addRow("Keyboard key:", keyRow);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addLayout(form);
  layout->addWidget(unplugged);
  layout->addWidget(silent);
  layout->addWidget(fastLine);
  layout->addStretch(1);

  connect(firmware, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(std::size(kFirmwares))) {
      bench_.setFirmware(kFirmwares[index]);
    }
  });
  connect(target, &QComboBox::currentIndexChanged, this, [this](int index) {
    bench_.selectTarget(index <= 0 ? std::string() : target->itemText(index).toStdString());
    showBench();
  });
  connect(unplugged, &QCheckBox::toggled, this, [this](bool on) { bench_.setUnplugged(on); });
  connect(silent, &QCheckBox::toggled, this, [this](bool on) { bench_.setSilent(on); });
  connect(fastLine, &QCheckBox::toggled, this, [this](bool on) { bench_.setFastLine(on); });
  connect(pressKey, &QPushButton::clicked, this, [this] {
    const auto& keys = emu::demoKeys();
    const int index = key->currentIndex();
    // The keyboard exists once it has been put on the bench as the target.
    if (auto keyboard = emu::demoKeyboard(); keyboard && index >= 0 && index < static_cast<int>(keys.size())) {
      keyboard->pressKey(keys[index].first, keys[index].second);
    }
  });

  // The bench stands for the hardware on the desk: a tool window (the keyboard tester is
  // large) must not hide its switches and its Press button.
  setWindowFlag(Qt::WindowStaysOnTopHint);

  showBench();
  resize(420, 280);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().topLeft());
}

void DemoControl::showBench() {
  // Choosing a target switches the firmware to the one its tool expects.
  const QSignalBlocker block(firmware);
  for (int i = 0; i < static_cast<int>(std::size(kFirmwares)); ++i) {
    if (kFirmwares[i] == bench_.firmware()) firmware->setCurrentIndex(i);
  }
}

}  // namespace tarvex
