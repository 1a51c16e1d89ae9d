#include "gui/common/helpwindow.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

static void registerHelpPages() {
    Q_INIT_RESOURCE(zutomelark);
}

namespace zt {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    registerHelpPages();
    setWindowTitle(QStringLiteral("ZuTomelark ヘルプ"));
    setAttribute(Qt::WA_DeleteOnClose);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->setOpenLinks(true);

    auto* back = new QPushButton(QStringLiteral("戻る"), this);
    auto* home = new QPushButton(QStringLiteral("目次"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    back->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(home, &QPushButton::clicked, this, [this] { openTopic(1); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(home);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);

    const int em = fontMetrics().height();
    resize(em * 40, em * 36);
}

QString HelpWindow::topicUrl(int topic) {
    switch (topic) {
    case 2:
        return QStringLiteral("qrc:/help/browse.html");
    case 3:
        return QStringLiteral("qrc:/help/manage.html");
    default:
        return QStringLiteral("qrc:/help/index.html");
    }
}

void HelpWindow::openTopic(int topic) {
    browser_->setSource(QUrl(topicUrl(topic)));
}

HelpWindow* HelpWindow::showTopic(QWidget* owner, int topic) {
    static QPointer<HelpWindow> window;
    if (!window) window = new HelpWindow(owner);
    window->openTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace zt
