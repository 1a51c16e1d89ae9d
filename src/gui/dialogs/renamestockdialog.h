#pragma once
// The rename dialog "名前の変更": checks the new name against the stock list and
// the Data folder before it closes with OK.
#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

namespace zt {

class RenameStockDialog : public QDialog {
    Q_OBJECT

  public:
    // Why a new name cannot be taken ("" when it can): the stock library's check.
    using Check = std::function<std::string(const std::string& newName)>;
    RenameStockDialog(QWidget* parent, Check check);

    void setNewName(const std::string& name);
    [[nodiscard]] std::string newName() const;

    // Closes with OK when the name passes, else warns and stays open.
    void acceptIfValid();

  protected:
    void keyPressEvent(QKeyEvent* e) override; // Escape does not close it

  private:
    QLineEdit* edit_ = nullptr;
    Check check_;
};

} // namespace zt
