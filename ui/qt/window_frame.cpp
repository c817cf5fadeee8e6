#include "ui/qt/window_frame.h"

#include <QEvent>
#include <QWindow>

namespace ui {
namespace {

class OuterSizeKeeper : public QObject {
 public:
  OuterSizeKeeper(QWidget* window, QSize outer) : QObject(window), window_(window), outer_(outer) {
    window->installEventFilter(this);
    Fit();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_) {
      switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
          Fit();
          break;
        default:
          break;
      }
    }
    return false;
  }

 private:
  void Fit() {
    // The platform window exists once the widget has been shown; before that
    // there is no frame.
    const QWindow* handle = window_->windowHandle();
    FitClientToOuterSize(window_, outer_, handle ? handle->frameMargins() : QMargins());
  }

  QWidget* window_;
  QSize outer_;
};

}  // namespace

void FitClientToOuterSize(QWidget* window, QSize outer, QMargins frame) {
  const QSize client(outer.width() - frame.left() - frame.right(),
                     outer.height() - frame.top() - frame.bottom());
  if (client.isValid() && window->size() != client) window->setFixedSize(client);
}

void KeepOuterSize(QWidget* window, QSize outer) {
  new OuterSizeKeeper(window, outer);  // a child of the window, which owns it
}

}  // namespace ui
