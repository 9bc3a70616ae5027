#pragma once
// Hands a window's view calls from any thread to the user-interface thread, in the order
// they were made. Calls from other threads queue up and one posted event carries out all
// that waited; a call made on the user-interface thread first carries out the queue, so
// the order holds across threads. Consecutive log lines go to the log in one batch, so a
// worker logging many lines does not flood the event loop.

#include <QObject>
#include <QStringList>
#include <deque>
#include <functional>
#include <mutex>

namespace tarvex {

class UiHandOver {
 public:
  using LineSink = std::function<void(const QStringList& lines)>;

  // owner lives on the user-interface thread and outlives every call handed over.
  UiHandOver(QObject* owner, LineSink lines);

  void call(std::function<void()> fn);
  void line(QString text);
  // Like call(), but a caller on another thread waits until fn has run.
  void callAndWait(const std::function<void()>& fn);

  // Carries out every queued call (user-interface thread only).
  void drain();
  bool onUiThread() const;

 private:
  struct Item {
    bool isLine = false;
    QString text;
    std::function<void()> fn;
  };
  void enqueue(Item item);

  QObject* owner_;
  LineSink lines_;
  std::mutex mutex_;
  std::deque<Item> queue_;
  bool drainPosted_ = false;
};

}  // namespace tarvex
