#include "widgets/hand_over.h"

#include <QThread>
#include <future>

namespace tarvex {

UiHandOver::UiHandOver(QObject* owner, LineSink lines) : owner_(owner), lines_(std::move(lines)) {}

bool UiHandOver::onUiThread() const {
  return QThread::currentThread() == owner_->thread();
}

void UiHandOver::enqueue(Item item) {
  bool post = false;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(item));
    if (!drainPosted_) drainPosted_ = post = true;
  }
  if (post)
    QMetaObject::invokeMethod(
        owner_, [this] { drain(); }, Qt::QueuedConnection);
}

void UiHandOver::call(std::function<void()> fn) {
  if (onUiThread()) {
    drain();
    fn();
    return;
  }
  enqueue({false, {}, std::move(fn)});
}

void UiHandOver::line(QString text) {
  if (onUiThread()) {
    drain();
    lines_(QStringList{std::move(text)});
    return;
  }
  enqueue({true, std::move(text), {}});
}

void UiHandOver::callAndWait(const std::function<void()>& fn) {
  if (onUiThread()) {
    drain();
    fn();
    return;
  }
  std::promise<void> done;
  enqueue({false, {}, [&fn, &done] {
             fn();
             done.set_value();
           }});
  done.get_future().wait();
}

void UiHandOver::drain() {
  // Items are taken one by one from the front, so a call that itself drains (a dialog
  // turning the event loop) keeps the order.
  for (;;) {
    QStringList lines;
    std::function<void()> fn;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) {
        drainPosted_ = false;
        return;
      }
      while (!queue_.empty() && queue_.front().isLine) {
        lines.push_back(std::move(queue_.front().text));
        queue_.pop_front();
      }
      if (lines.isEmpty()) {
        fn = std::move(queue_.front().fn);
        queue_.pop_front();
      }
    }
    if (!lines.isEmpty()) {
      lines_(lines);
    } else {
      fn();
    }
  }
}

}  // namespace tarvex
