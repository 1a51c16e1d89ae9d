#include "gui/guitestutil.h"

#include "catalogue/stocklist.h"
#include "gui/common/appearance.h"
#include "gui/main/mainwindow.h"
#include "platform/datadir.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <stdexcept>

namespace zt::guitest {

void initWindowTests() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        setupAppearance(*app);
}

TempDataDir::TempDataDir() {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
    path_ = std::filesystem::path(dir_.path().toStdString()) / "Data";
    if (!seedDataDir(path_)) throw std::runtime_error("cannot seed the Data folder");
}

void TempDataDir::writeStockList(const std::vector<std::string>& names) const {
    if (!saveStockList(path_, names)) throw std::runtime_error("cannot write StockList.dat");
}

std::vector<std::string> TempDataDir::readStockList() const {
    return loadStockList(path_).value_or(std::vector<std::string>{});
}

ScopedDialogs::ScopedDialogs() {
    auto scripted = std::make_unique<ScriptedDialogs>();
    scripted_ = scripted.get();
    previous_ = setDialogService(std::move(scripted));
}

ScopedDialogs::~ScopedDialogs() {
    setDialogService(std::move(previous_));
}

MsgResult OwnedBoxDialogs::messageBox(QWidget* owner, const QString& title, const QString& text,
                                      MsgButtons buttons, MsgIcon icon) {
    QDialog box(owner);
    box.show();
    if (during) during();
    return ScriptedDialogs::messageBox(owner, title, text, buttons, icon);
}

std::optional<QString> OwnedBoxDialogs::saveFileName(QWidget* owner, const QString& title,
                                                     const QString& start, const QString& filter,
                                                     const QString& suffix) {
    QDialog box(owner);
    box.show();
    if (during) during();
    return ScriptedDialogs::saveFileName(owner, title, start, filter, suffix);
}

std::unique_ptr<MainWindow> makeWindow(const std::filesystem::path& dataDir, bool show) {
    auto form = std::make_unique<MainWindow>(dataDir);
    form->startUp();
    if (show) {
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            throw std::runtime_error("window not exposed");
    }
    return form;
}

QStringList texts(const QAbstractItemModel* model) {
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString();
    return out;
}

bool waitIdle(const MainWindow& window, int timeoutMs) {
    return QTest::qWaitFor([&] { return !window.busy(); }, timeoutMs);
}

} // namespace zt::guitest
