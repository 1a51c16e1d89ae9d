#include "gui/common/flowtoolbar.h"

#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace zt {

namespace {
constexpr int kTopMargin = 2; // space above each row of buttons
constexpr int kRowGap = 2;
} // namespace

FlowToolBar::FlowToolBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground, false);
}

QSize FlowToolBar::buttonSize() const {
    // At the design font (12 px) the caption and image fit the design size; a
    // larger font widens and heightens every button alike.
    const QFontMetrics fm(font());
    int w = kDesignButtonWidth;
    int h = kDesignButtonHeight;
    for (const Item& it : items_)
        if (it.button) w = std::max(w, fm.horizontalAdvance(it.button->text()) + 4);
    h = std::max(h, kIconSize + fm.height() + 6);
    return {w, h};
}

double FlowToolBar::scale() const {
    return double(buttonSize().height()) / kDesignButtonHeight;
}

QToolButton* FlowToolBar::addButton(const QString& caption, const QString& hint,
                                    const QIcon& icon) {
    auto* b = new QToolButton(this);
    b->setText(caption);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setIcon(icon);
    b->setIconSize(QSize(kIconSize, kIconSize));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true); // flat: the frame shows only under the mouse
    b->setFocusPolicy(Qt::NoFocus);
    items_.push_back({b, {}});
    relayout();
    return b;
}

void FlowToolBar::addSeparator() {
    items_.push_back({nullptr, {}});
    relayout();
}

int FlowToolBar::place(int barWidth, bool apply) {
    const QSize bs = buttonSize();
    const int right = std::max(barWidth, kIndent + bs.width());
    int x = kIndent;
    int row = 0;
    bool rowEmpty = true;
    for (Item& it : items_) {
        const int w = it.button ? bs.width() : kSeparatorWidth;
        if (!rowEmpty && x + w > right) {
            ++row;
            x = kIndent;
            rowEmpty = true;
        }
        const int y = kTopMargin + row * (bs.height() + kRowGap);
        if (!it.button) {
            // A separator that would open a row takes no room there.
            if (apply) it.rect = rowEmpty ? QRect() : QRect(x, y, w, bs.height());
            if (!rowEmpty) x += w;
            continue;
        }
        if (apply) it.button->setGeometry(x, y, bs.width(), bs.height());
        x += w;
        rowEmpty = false;
    }
    return row + (rowEmpty && row > 0 ? 0 : 1);
}

int FlowToolBar::rowsForWidth(int barWidth) const {
    return const_cast<FlowToolBar*>(this)->place(barWidth, false);
}

int FlowToolBar::minimumWidthForRows(int maxRows) const {
    const QSize bs = buttonSize();
    int w = kIndent + bs.width();
    while (rowsForWidth(w) > maxRows)
        w += 4;
    return w;
}

void FlowToolBar::relayout() {
    place(width(), true);
    update();
}

void FlowToolBar::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    relayout();
}

void FlowToolBar::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) relayout();
}

void FlowToolBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOption opt;
    opt.initFrom(this);
    for (const Item& it : items_) {
        if (it.button || it.rect.isEmpty()) continue;
        opt.rect = it.rect.adjusted(0, 4, 0, -4);
        opt.state |= QStyle::State_Horizontal;
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &opt, &p, this);
    }
}

} // namespace zt
