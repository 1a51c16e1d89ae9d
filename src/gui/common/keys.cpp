#include "gui/common/keys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>

namespace zt {

namespace {

class ContextMenuKeys : public QObject {
  public:
    explicit ContextMenuKeys(QAbstractItemView* view) : QObject(view), view_(view) {
        view->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !isContextMenuKey(*static_cast<QKeyEvent*>(e)))
            return false;
        const QRect item = view_->visualRect(view_->currentIndex());
        const QPoint at = item.isValid() ? item.center() : QPoint(0, 0);
        emit view_->customContextMenuRequested(at);
        return true;
    }

  private:
    QAbstractItemView* view_; // the filter's parent
};

} // namespace

bool isContextMenuKey(const QKeyEvent& e) {
    const auto mods = e.modifiers() & ~Qt::KeypadModifier;
    return (e.key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
           (e.key() == Qt::Key_F10 && mods == Qt::ShiftModifier);
}

void enableContextMenuKeys(QAbstractItemView* view) {
    new ContextMenuKeys(view);
}

QString withoutMnemonic(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

void nameButtonsFromCaptions(QWidget* root) {
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (b->focusPolicy() == Qt::NoFocus || !b->accessibleName().isEmpty()) continue;
        const QString caption = withoutMnemonic(b->text());
        b->setAccessibleName(caption.isEmpty() ? b->toolTip() : caption);
    }
}

} // namespace zt
