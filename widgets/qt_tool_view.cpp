#include "widgets/qt_tool_view.h"

#include <QAbstractButton>
#include <QCloseEvent>

#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"

namespace tarvex {

QtToolView::QtToolView(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), handOver_(this, [this](const QStringList& lines) {
        if (log_) log_->appendLines(lines);
      }) {}

void QtToolView::runOnUi(std::function<void()> call) {
  handOver_.call(std::move(call));
}

void QtToolView::logLine(const std::string& line) {
  handOver_.line(QString::fromStdString(line));
}

void QtToolView::clearLog() {
  runOnUi([this] {
    if (log_) log_->clearLines();
  });
}

void QtToolView::setGaugeMaximum(int gauge, int maximum) {
  runOnUi([this, gauge, maximum] {
    if (auto* g = this->gauge(gauge)) g->setMaxValue(maximum);
  });
}

void QtToolView::setGaugeProgress(int gauge, int progress) {
  runOnUi([this, gauge, progress] {
    if (auto* g = this->gauge(gauge)) g->setProgress(progress);
  });
}

void QtToolView::setGaugeColor(int gauge, Rgb color) {
  runOnUi([this, gauge, color] {
    if (auto* g = this->gauge(gauge)) g->setForeColor(color);
  });
}

void QtToolView::setStartButtonsEnabled(bool enabled) {
  runOnUi([this, enabled] {
    for (const auto& button : startButtons_) {
      if (button) button->setEnabled(enabled);
    }
  });
}

std::optional<std::string> QtToolView::chooseFile(const FileDialogSpec& request) {
  std::optional<std::string> chosen;
  handOver_.callAndWait([this, &request, &chosen] { chosen = chooseFileNow(request); });
  return chosen;
}

std::optional<std::string> QtToolView::chooseFileNow(const FileDialogSpec& request) {
  fileChosen_ = false;
  auto name = context_.dialogs.chooseFile(request, this);
  if (name) dialogCanClose(request.kind);
  // Only a name the can-close notification confirmed counts as chosen.
  if (!fileChosen_ || !name) return std::nullopt;
  return name;
}

void QtToolView::dialogCanClose(FileDialogSpec::Kind) {
  markFileChosen();
}

void QtToolView::showErrorBox(const std::string& text) {
  handOver_.callAndWait([this, &text] { context_.dialogs.showError(text, this); });
}

bool QtToolView::askYesNo(const std::string& question) {
  bool yes = false;
  handOver_.callAndWait([this, &question, &yes] { yes = context_.dialogs.askYesNo(question, this); });
  return yes;
}

Answer QtToolView::askYesNoOr(const std::string& question, const std::string& other) {
  Answer answer = Answer::kNo;
  handOver_.callAndWait([this, &question, &other, &answer] {
    answer = context_.dialogs.askYesNoOr(question, other, this);
  });
  return answer;
}

GaugeWidget* QtToolView::gauge(int index) const {
  if (index < 0 || index >= static_cast<int>(gauges_.size())) return nullptr;
  return gauges_[static_cast<std::size_t>(index)];
}

LogMemo* QtToolView::createLog(const QString& objectName) {
  log_ = new LogMemo(this);
  log_->setObjectName(objectName);
  return log_;
}

GaugeWidget* QtToolView::createGauge(const QString& objectName, int maximum) {
  auto* gauge = new GaugeWidget(maximum, this);
  gauge->setObjectName(objectName);
  gauges_.push_back(gauge);
  return gauge;
}

void QtToolView::addStartButton(QAbstractButton* button) {
  startButtons_.emplace_back(button);
}

void QtToolView::returnToMainWindow() {
  if (context_.showMainWindow) context_.showMainWindow();
  hide();
}

}  // namespace tarvex

namespace tarvex {

void QtToolView::closeEvent(QCloseEvent* event) {
  // Closing a tool window by its title bar would otherwise hide it with no window left on
  // screen, or leave a running operation behind an invisible window. It goes through the
  // EXIT button instead, which knows when leaving is allowed.
  event->ignore();
  QAbstractButton* exit = exitButton_;
  if (!exit) {
    for (auto* button : findChildren<QAbstractButton*>()) {
      if (button->objectName().contains("EXIT")) {
        exit = button;
        break;
      }
    }
  }
  if (exit) {
    exit->click();
  } else {
    returnToMainWindow();
  }
}

}  // namespace tarvex
