// The dialog service: Qt's boxes and file dialogs.
#include "gui/common/dialogservice.h"

#include "gui/common/helpwindow.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace zt {

namespace {

class QtDialogs final : public DialogService {
  public:
    MsgResult messageBox(QWidget* owner, const QString& title, const QString& text,
                         MsgButtons buttons, MsgIcon icon) override {
        QMessageBox box(owner);
        box.setWindowTitle(title);
        box.setText(text);
        box.setIcon(qtIcon(icon));
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton* cancel = nullptr;
        if (buttons == MsgButtons::OkCancel)
            cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(cancel ? cancel : ok);
        box.exec();
        return box.clickedButton() == static_cast<QAbstractButton*>(ok) ? MsgResult::Ok
                                                                        : MsgResult::Cancel;
    }

    std::optional<QString> saveFileName(QWidget* owner, const QString& title,
                                        const QString& startPath, const QString& filter,
                                        const QString& defaultSuffix) override {
        QFileDialog dlg(owner, title, startPath, filter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setDefaultSuffix(defaultSuffix);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, false); // asks before replacing a file
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
        return dlg.selectedFiles().first();
    }

    std::optional<QString> browseForFolder(QWidget* owner, const QString& title) override {
        const QString dir =
            QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
        if (dir.isEmpty()) return std::nullopt;
        return dir;
    }

    void showHelp(QWidget* owner, int topic) override { HelpWindow::showTopic(owner, topic); }

  private:
    static QMessageBox::Icon qtIcon(MsgIcon icon) {
        switch (icon) {
        case MsgIcon::Warning:
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
        }
        return QMessageBox::NoIcon;
    }
};

std::unique_ptr<DialogService>& current() {
    static std::unique_ptr<DialogService> service;
    return service;
}

} // namespace

DialogService& dialogs() {
    auto& s = current();
    if (!s) s = std::make_unique<QtDialogs>();
    return *s;
}

std::unique_ptr<DialogService> setDialogService(std::unique_ptr<DialogService> service) {
    auto previous = std::move(current());
    current() = std::move(service);
    return previous;
}

void warn(QWidget* owner, const QString& text) {
    dialogs().messageBox(owner, QStringLiteral("警告"), text, MsgButtons::Ok, MsgIcon::Warning);
}

} // namespace zt
